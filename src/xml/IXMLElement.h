#pragma once

#include "xml/IXMLNode.h"

namespace xml {

class IXMLElement : public IXMLNode {
public:
    // The element's name, "" when it has none.
    virtual const wchar_t* GetTagName() = 0;
    // Detaches every child node; the element keeps its name and value.
    virtual void RemoveAllChildNodes() = 0;
};

}  // namespace xml
