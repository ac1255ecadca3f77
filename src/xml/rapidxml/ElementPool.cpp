#include "xml/rapidxml/ElementPool.h"

#include <cwchar>

#include "xml/rapidxml/RapidXML.h"
#include "xml/rapidxml/RapidXMLElement.h"

namespace xml {
namespace rapidxml {

ElementPool::ElementPool(::rapidxml::xml_document<wchar_t>* document) : document(document) {
    className = L"ElementPool";
}

ElementPool::~ElementPool() = default;

RapidXMLElement* ElementPool::Wrap(::rapidxml::xml_node<wchar_t>* node) {
    if (node == nullptr) {
        return nullptr;
    }
    std::unique_ptr<RapidXMLElement>& wrapper = wrappers[node];
    if (!wrapper) {
        wrapper.reset(new RapidXMLElement(node, this));
    }
    return wrapper.get();
}

wchar_t* ElementPool::CopyText(const wchar_t* text, size_t* length) {
    const wchar_t* source = text ? text : L"";
    size_t count = std::wcslen(source);
    *length = count;
    return document->allocate_string(source, count + 1);
}

::rapidxml::xml_node<wchar_t>* ElementPool::NewElement(const wchar_t* name, const wchar_t* value) {
    size_t nameLength = 0;
    wchar_t* nameCopy = CopyText(name, &nameLength);
    ::rapidxml::xml_node<wchar_t>* node = document->allocate_node(::rapidxml::node_element);
    node->name(nameCopy, nameLength);
    if (value) {
        size_t valueLength = 0;
        wchar_t* valueCopy = CopyText(value, &valueLength);
        node->value(valueCopy, valueLength);
    }
    return node;
}

void ElementPool::Clear() { wrappers.clear(); }

}  // namespace rapidxml
}  // namespace xml
