#include "xml/rapidxml/RapidXMLTree.h"

#include <cstring>
#include <cwchar>
#include <exception>
#include <iterator>

#include "util/Exception.h"
#include "util/Platform.h"
#include "util/TextCodec.h"
#include "xml/rapidxml/CharacterReferences.h"
#include "xml/rapidxml/NestingDepth.h"
#include "xml/rapidxml/RapidXMLElement.h"

namespace xml {
namespace rapidxml {
namespace {

using Node = ::rapidxml::xml_node<char>;

constexpr int kParseFlags =
    ::rapidxml::parse_no_data_nodes | ::rapidxml::parse_declaration_node | ::rapidxml::parse_doctype_node;

// Output iterator for the printer that ends lines with "\r\n". A value that already holds "\r\n"
// keeps it as it is, so text read from a Windows file does not grow a carriage return per save.
class CrLfWriter {
public:
    using iterator_category = std::output_iterator_tag;
    using value_type = void;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = void;

    explicit CrLfWriter(std::string* out) : out(out) {}
    CrLfWriter& operator*() { return *this; }
    CrLfWriter& operator++() { return *this; }
    CrLfWriter operator++(int) { return *this; }
    CrLfWriter& operator=(char c) {
        if (c == '\n' && (out->empty() || out->back() != '\r')) {
            *out += '\r';
        }
        *out += c;
        return *this;
    }

private:
    std::string* out;
};

bool NameEquals(const Node* node, const std::string& name) {
    return node->name_size() == name.size() && std::memcmp(node->name(), name.data(), name.size()) == 0;
}

// The node after node in document order, staying inside the subtree of top; null at its end.
Node* NextInSubtree(Node* node, const Node* top) {
    if (node->first_node()) {
        return node->first_node();
    }
    while (node != top) {
        if (node->next_sibling()) {
            return node->next_sibling();
        }
        node = node->parent();
    }
    return nullptr;
}

}  // namespace

RapidXMLTree::RapidXMLTree() : elements(&document), root(nullptr) { className = L"RapidXMLTree"; }

RapidXMLTree::~RapidXMLTree() = default;

void RapidXMLTree::Reset() {
    elements.Clear();
    document.clear();
    root = nullptr;
}

void RapidXMLTree::Parse(const wchar_t* text) {
    if (text == nullptr) {
        throw new Exception(L"RapidXMLDocument::Parse()\nDocument content is null");
    }
    Reset();
    // A mark decoded as text is not part of the document.
    std::wstring expanded = CharacterReferences::ExpandNonAscii(text[0] == L'\xFEFF' ? text + 1 : text);
    content = platform::WideToUtf8(expanded.data(), expanded.size());
    bool failed = NestingDepth::Exceeds(content.c_str());
    if (!failed) {
        try {
            document.parse<kParseFlags>(&content[0]);
        } catch (const std::exception&) {
            failed = true;
        }
    }
    if (failed) {
        Reset();
        throw new Exception(L"RapidXMLDocument::Parse()\nError while parsing XML document.");
    }
    Node* last = nullptr;
    for (Node* node = document.first_node(); node; node = node->next_sibling()) {
        if (node->type() == ::rapidxml::node_element) {
            last = node;
        }
    }
    root = elements.Wrap(last);
}

std::vector<IXMLElement*> RapidXMLTree::GetElementsByTagName(const wchar_t* name) {
    std::vector<IXMLElement*> found;
    if (root == nullptr || name == nullptr) {
        return found;
    }
    std::string utf8Name = platform::WideToUtf8(name, std::wcslen(name));
    const Node* top = root->GetNode();
    for (Node* node = root->GetNode(); node; node = NextInSubtree(node, top)) {
        if (node->type() == ::rapidxml::node_element && NameEquals(node, utf8Name)) {
            found.push_back(elements.Wrap(node));
        }
    }
    return found;
}

void RapidXMLTree::ToString(String& text) {
    std::string printed;
    // Printed node by node: the printer would end the document node itself with one more line break.
    for (Node* node = document.first_node(); node; node = node->next_sibling()) {
        ::rapidxml::print(CrLfWriter(&printed), *node, 0);
    }
    text = util::TextCodec::Decode8Bit(printed.data(), printed.size()).c_str();
}

RapidXMLElement* RapidXMLTree::CreateElement(const wchar_t* name, const wchar_t* value) {
    return elements.Wrap(elements.NewElement(name, value));
}

}  // namespace rapidxml
}  // namespace xml
