#pragma once

#include <cstddef>
#include <map>
#include <memory>

#include "util/Object.h"

namespace rapidxml {
template <class Ch>
class xml_node;
template <class Ch>
class xml_document;
}  // namespace rapidxml

namespace xml {
namespace rapidxml {

class RapidXMLElement;

// Owns the wrappers of one document's nodes (one wrapper per node, made on first request) and
// copies texts into the document's memory as UTF-8, so that nothing the document hands out needs
// freeing by the caller and nothing points at the caller's texts.
class ElementPool : public Object {
public:
    explicit ElementPool(::rapidxml::xml_document<char>* document);
    ~ElementPool() override;
    ElementPool(const ElementPool&) = delete;
    ElementPool& operator=(const ElementPool&) = delete;

    // The wrapper of node; null for null.
    RapidXMLElement* Wrap(::rapidxml::xml_node<char>* node);
    // The UTF-8 form of text (null counts as "") in the document's memory; its length in bytes
    // goes to length.
    char* CopyText(const wchar_t* text, size_t* length);
    // A new element node in the document's memory, attached nowhere.
    ::rapidxml::xml_node<char>* NewElement(const wchar_t* name, const wchar_t* value);
    // Frees every wrapper; called when the document's nodes go away.
    void Clear();

private:
    ::rapidxml::xml_document<char>* document;  // not owned: the pool lives inside it
    std::map<::rapidxml::xml_node<char>*, std::unique_ptr<RapidXMLElement>> wrappers;
};

}  // namespace rapidxml
}  // namespace xml
