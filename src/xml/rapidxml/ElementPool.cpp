#include "xml/rapidxml/ElementPool.h"

#include <cwchar>
#include <string>

#include "util/Platform.h"
#include "xml/rapidxml/RapidXML.h"
#include "xml/rapidxml/RapidXMLElement.h"

namespace xml {
namespace rapidxml {

ElementPool::ElementPool(::rapidxml::xml_document<char>* document) : document(document) {
    className = L"ElementPool";
}

ElementPool::~ElementPool() = default;

RapidXMLElement* ElementPool::Wrap(::rapidxml::xml_node<char>* node) {
    if (node == nullptr) {
        return nullptr;
    }
    std::unique_ptr<RapidXMLElement>& wrapper = wrappers[node];
    if (!wrapper) {
        wrapper.reset(new RapidXMLElement(node, this));
    }
    return wrapper.get();
}

char* ElementPool::CopyText(const wchar_t* text, size_t* length) {
    const wchar_t* source = text ? text : L"";
    std::string utf8 = platform::WideToUtf8(source, std::wcslen(source));
    *length = utf8.size();
    return document->allocate_string(utf8.c_str(), utf8.size() + 1);
}

::rapidxml::xml_node<char>* ElementPool::NewElement(const wchar_t* name, const wchar_t* value) {
    size_t nameLength = 0;
    char* nameCopy = CopyText(name, &nameLength);
    ::rapidxml::xml_node<char>* node = document->allocate_node(::rapidxml::node_element);
    node->name(nameCopy, nameLength);
    if (value) {
        size_t valueLength = 0;
        char* valueCopy = CopyText(value, &valueLength);
        node->value(valueCopy, valueLength);
    }
    return node;
}

void ElementPool::Clear() { wrappers.clear(); }

}  // namespace rapidxml
}  // namespace xml
