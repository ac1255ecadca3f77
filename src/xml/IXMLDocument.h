#pragma once

#include <vector>

#include "util/String.h"
#include "xml/IXMLElement.h"

namespace xml {

// An XML document that loads itself from a file and saves itself to one. Elements it hands out
// belong to it (see IXMLNode).
class IXMLDocument {
public:
    virtual ~IXMLDocument() = default;

    // The document element found by the last parse; null before one was found.
    virtual IXMLElement* GetRootElement() = 0;
    virtual void Load(const wchar_t* path) = 0;
    virtual void Parse(const wchar_t* text) = 0;
    // Namespace and class of the implementation, for diagnostics only.
    virtual const wchar_t* GetImplementationName() const = 0;
    // Every element of the tree named exactly name (letter case counts), in document order.
    virtual std::vector<IXMLElement*> GetElementsByTagName(const wchar_t* name) = 0;
    // The whole document as text: one node per line, tab-indented, lines ended by "\r\n".
    virtual void ToString(String& text) = 0;
    // A new element, attached nowhere until AddChildNode; name and value are copied.
    virtual IXMLElement* CreateElement(const wchar_t* name, const wchar_t* value) = 0;
    virtual void Save(const wchar_t* path) = 0;
};

}  // namespace xml
