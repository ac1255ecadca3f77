#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "util/Object.h"
#include "xml/IXMLElement.h"

namespace rapidxml {
template <class Ch>
class xml_node;
}

namespace xml {
namespace rapidxml {

class ElementPool;

// An element of a rapidxml tree. Wrappers are made and owned by the document's ElementPool, one
// per node, so siblings and children handed out twice are the same objects. The tree holds UTF-8;
// the texts handed out are wide copies, valid until the same call on the same element.
class RapidXMLElement : public Object, public IXMLElement {
public:
    RapidXMLElement(::rapidxml::xml_node<char>* node, ElementPool* pool);
    ~RapidXMLElement() override;
    RapidXMLElement(const RapidXMLElement&) = delete;
    RapidXMLElement& operator=(const RapidXMLElement&) = delete;

    int GetNodeType() override { return 0; }
    // The element children in document order, read afresh from the tree on every call.
    std::vector<IXMLNode*>& GetChildNodes() override;
    bool HasChildNodes() override;
    // Appends child as the last child; a child attached elsewhere is moved here.
    void AddChildNode(IXMLNode* child) override;
    IXMLNode* GetNextSibling() override;
    IXMLNode* GetPreviousSibling() override;
    const wchar_t* GetValue() override;
    size_t SetValue(const wchar_t* text) override;
    const wchar_t* GetText() override { return GetValue(); }
    size_t SetText(const wchar_t* text) override { return SetValue(text); }
    const wchar_t* GetTagName() override;
    void RemoveAllChildNodes() override;

    ::rapidxml::xml_node<char>* GetNode() const { return node; }

private:
    ::rapidxml::xml_node<char>* node;  // owned by the document's memory
    ElementPool* pool;                     // not owned: the document's
    std::vector<IXMLNode*> children;       // wrappers owned by the pool
    std::wstring name;                     // wide copies of the node's texts
    std::wstring value;
};

}  // namespace rapidxml
}  // namespace xml
