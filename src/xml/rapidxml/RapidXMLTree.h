#pragma once

#include <string>
#include <vector>

#include "util/Object.h"
#include "util/String.h"
#include "xml/IXMLElement.h"
#include "xml/rapidxml/ElementPool.h"
#include "xml/rapidxml/RapidXML.h"

namespace xml {
namespace rapidxml {

class RapidXMLElement;

// The parsed tree of one document with the text it was parsed from, free of files and Windows.
// The tree is parsed from the UTF-8 form of the text: the parser classifies characters by their
// low 8 bits, so in wide text it would take characters such as U+4E00 (low byte 0) or U+263C
// (low byte '<') for markup. In UTF-8 every byte of a non-ASCII character is 0x80 or above.
// Node names and values point into the kept text or into the tree's memory, never at the
// caller's texts. Wrappers handed out stay valid until the next Parse or the tree's end.
class RapidXMLTree : public Object {
public:
    RapidXMLTree();
    ~RapidXMLTree() override;
    RapidXMLTree(const RapidXMLTree&) = delete;
    RapidXMLTree& operator=(const RapidXMLTree&) = delete;

    // Replaces the tree by the one parsed from a copy of text. Throws for null text and for
    // malformed or too deeply nested XML, leaving an empty tree.
    void Parse(const wchar_t* text);
    // The last top-level element of the last parse; null when there was none.
    RapidXMLElement* GetRootElement() const { return root; }
    std::vector<IXMLElement*> GetElementsByTagName(const wchar_t* name);
    // Tab-indented, one node per line, every line ended by "\r\n".
    void ToString(String& text);
    RapidXMLElement* CreateElement(const wchar_t* name, const wchar_t* value);

private:
    void Reset();

    ::rapidxml::xml_document<char> document;
    ElementPool elements;
    std::string content;     // UTF-8, parsed in place: names and values point into it
    RapidXMLElement* root;   // owned by elements
};

}  // namespace rapidxml
}  // namespace xml
