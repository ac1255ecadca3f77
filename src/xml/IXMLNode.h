#pragma once

#include <cstddef>
#include <vector>

namespace xml {

// One node of an XML document. Nodes handed out by a document belong to it: callers never delete
// them, and they stay valid until the document parses again or is destroyed.
class IXMLNode {
public:
    virtual ~IXMLNode() = default;

    // 0 for an element, the only kind of node the program works with.
    virtual int GetNodeType() = 0;
    virtual std::vector<IXMLNode*>& GetChildNodes() = 0;
    virtual bool HasChildNodes() = 0;
    virtual void AddChildNode(IXMLNode* child) = 0;
    virtual IXMLNode* GetNextSibling() = 0;
    virtual IXMLNode* GetPreviousSibling() = 0;
    // The node's text, "" when it has none.
    virtual const wchar_t* GetValue() = 0;
    // Sets the node's text (copied into the document) and returns its length.
    virtual size_t SetValue(const wchar_t* text) = 0;
    virtual const wchar_t* GetText() = 0;
    virtual size_t SetText(const wchar_t* text) = 0;
};

}  // namespace xml
