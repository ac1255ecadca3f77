#include "xml/rapidxml/RapidXMLElement.h"

#include <cwchar>

#include "util/Exception.h"
#include "util/TextCodec.h"
#include "xml/rapidxml/ElementPool.h"
#include "xml/rapidxml/RapidXML.h"

namespace xml {
namespace rapidxml {
namespace {

using Node = ::rapidxml::xml_node<char>;

bool IsElement(const Node* node) { return node->type() == ::rapidxml::node_element; }

// Wide text of UTF-8 bytes. The tree is made from wide text, so its bytes are UTF-8; should some
// not be, they are taken in the ANSI code page rather than lost.
const wchar_t* Widen(const char* bytes, size_t count, std::wstring& out) {
    out = util::TextCodec::Decode8Bit(bytes, count);
    return out.c_str();
}

// The nearest element beside node in the direction of step, other nodes skipped; null at the end.
// Detached nodes keep stale sibling links; only a parent's list is trustworthy.
template <class Step>
Node* SiblingElement(Node* node, Step step) {
    if (node->parent() == nullptr) {
        return nullptr;
    }
    Node* sibling = step(node);
    while (sibling && !IsElement(sibling)) {
        sibling = step(sibling);
    }
    return sibling;
}

}  // namespace

RapidXMLElement::RapidXMLElement(Node* node, ElementPool* pool) : node(node), pool(pool) {
    className = L"RapidXMLElement";
}

RapidXMLElement::~RapidXMLElement() = default;

std::vector<IXMLNode*>& RapidXMLElement::GetChildNodes() {
    children.clear();
    for (Node* child = node->first_node(); child; child = child->next_sibling()) {
        if (IsElement(child)) {
            children.push_back(pool->Wrap(child));
        }
    }
    return children;
}

bool RapidXMLElement::HasChildNodes() { return !GetChildNodes().empty(); }

void RapidXMLElement::AddChildNode(IXMLNode* child) {
    RapidXMLElement* element = dynamic_cast<RapidXMLElement*>(child);
    if (child == nullptr || child->GetNodeType() != 0 || element == nullptr) {
        throw new Exception(L"RapidXMLElement::AddChildNode()\nAdding non element nodes not supported.");
    }
    if (element->pool != pool) {
        throw new Exception(L"RapidXMLElement::AddChildNode()\nThe node belongs to another document.");
    }
    // Linking a node under itself or one of its descendants would make the tree a cycle.
    for (Node* ancestor = node; ancestor; ancestor = ancestor->parent()) {
        if (ancestor == element->node) {
            throw new Exception(L"RapidXMLElement::AddChildNode()\nA node cannot become its own descendant.");
        }
    }
    if (element->node->parent()) {
        element->node->parent()->remove_node(element->node);
    }
    node->append_node(element->node);
}

IXMLNode* RapidXMLElement::GetNextSibling() {
    return pool->Wrap(SiblingElement(node, [](Node* n) { return n->next_sibling(); }));
}

IXMLNode* RapidXMLElement::GetPreviousSibling() {
    return pool->Wrap(SiblingElement(node, [](Node* n) { return n->previous_sibling(); }));
}

const wchar_t* RapidXMLElement::GetValue() { return Widen(node->value(), node->value_size(), value); }

size_t RapidXMLElement::SetValue(const wchar_t* text) {
    size_t bytes = 0;
    char* copy = pool->CopyText(text, &bytes);
    node->value(copy, bytes);
    return text ? std::wcslen(text) : 0;
}

const wchar_t* RapidXMLElement::GetTagName() { return Widen(node->name(), node->name_size(), name); }

void RapidXMLElement::RemoveAllChildNodes() {
    node->remove_all_nodes();
    children.clear();
}

}  // namespace rapidxml
}  // namespace xml
