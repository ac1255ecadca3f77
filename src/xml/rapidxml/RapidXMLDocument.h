#pragma once

#include <vector>

#include "util/Encoding.h"
#include "util/File.h"
#include "xml/IXMLDocument.h"
#include "xml/rapidxml/RapidXMLTree.h"

namespace xml {
namespace rapidxml {

// An XML document that is also the file it comes from: Load reads and parses the file, Save
// writes the document back in an encoding that Load reads the same way.
class RapidXMLDocument : public util::File, public IXMLDocument {
public:
    explicit RapidXMLDocument(const wchar_t* path = nullptr);
    ~RapidXMLDocument() override;

    IXMLElement* GetRootElement() override;
    // Reads the file at path (or at the document's path when null), decodes it by its encoding
    // and parses it. The file is closed again whatever happens.
    void Load(const wchar_t* path) override;
    void Parse(const wchar_t* text) override;
    const wchar_t* GetImplementationName() const override { return L"xml::rapidxml::RapidXMLDocument"; }
    std::vector<IXMLElement*> GetElementsByTagName(const wchar_t* name) override;
    void ToString(String& text) override;
    IXMLElement* CreateElement(const wchar_t* name, const wchar_t* value) override;
    // Writes the document to path (or to the document's path when null): UTF-8 without a mark
    // for documents built here or read without a mark, UTF-8 with its mark for files that had
    // one, UTF-16LE with its mark for UTF-16 and UTF-32 files. The text goes to path + ".saving"
    // first, which then replaces the file (see util::FileReplacement): no failure loses the file.
    void Save(const wchar_t* path) override;

    util::Encoding GetTextEncoding() const { return textEncoding; }

    // Larger files are refused before they are read.
    static constexpr DWORD kMaximumSize = 16u << 20;

private:
    void LoadOpenFile(const wchar_t* path);

    RapidXMLTree tree;
    util::Encoding textEncoding;  // what Save writes; Ansi until a file says otherwise
};

}  // namespace rapidxml
}  // namespace xml
