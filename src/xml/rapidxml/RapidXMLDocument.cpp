#include "xml/rapidxml/RapidXMLDocument.h"

#include <memory>
#include <string>

#include "util/Exception.h"
#include "util/FileReplacement.h"
#include "util/TextCodec.h"
#include "util/TextFile.h"
#include "xml/rapidxml/RapidXMLElement.h"

namespace xml {
namespace rapidxml {

RapidXMLDocument::RapidXMLDocument(const wchar_t* path)
    : util::File(path, L"RapidXMLDocument"), textEncoding(util::Ansi) {}

RapidXMLDocument::~RapidXMLDocument() = default;

IXMLElement* RapidXMLDocument::GetRootElement() { return tree.GetRootElement(); }

void RapidXMLDocument::Load(const wchar_t* path) {
    if (path) {
        SetPath(path);
    }
    try {
        LoadOpenFile(path);
    } catch (...) {
        // A handle left open would make the next Load fail with "File already oppened".
        Close();
        throw;
    }
    Close();
}

void RapidXMLDocument::LoadOpenFile(const wchar_t* path) {
    encoding = util::Unknown;  // an empty file keeps the encoding, which must not be a stale one
    ReadFromBeginning();
    // Decoding and parsing need several times the file's size; documents are a few kilobytes.
    if (GetSize() > kMaximumSize) {
        throw new Exception(L"XMLDocument::Load (\"%s\")\nThe file is larger than %d MB.", this->path.GetBuffer(),
                            static_cast<int>(kMaximumSize >> 20));
    }
    std::wstring text;
    util::Encoding saveAs;
    {
        std::string bytes = LoadIntoString();
        saveAs = util::TextCodec::Decode(bytes.data(), bytes.size(), encoding, text);
    }
    Parse(text.c_str());
    textEncoding = saveAs;
    if (tree.GetRootElement() == nullptr) {
        throw new Exception(L"XMLDocument::Load (\"%s\")\nDocument could not be parsed.",
                            path ? path : this->path.GetBuffer());
    }
}

void RapidXMLDocument::Parse(const wchar_t* text) { tree.Parse(text); }

std::vector<IXMLElement*> RapidXMLDocument::GetElementsByTagName(const wchar_t* name) {
    return tree.GetElementsByTagName(name);
}

void RapidXMLDocument::ToString(String& text) { tree.ToString(text); }

IXMLElement* RapidXMLDocument::CreateElement(const wchar_t* name, const wchar_t* value) {
    return tree.CreateElement(name, value);
}

void RapidXMLDocument::Save(const wchar_t* path) {
    String text;
    ToString(text);
    String target = path ? path : this->path.GetBuffer();
    // Written beside the target first and put in its place at the end, so that a failed write
    // (a full disk, say) never leaves the configuration cut short.
    String temporary;
    temporary.Format(L"%s.saving", target.GetBuffer());
    try {
        util::TextFile file(temporary.GetBuffer());
        file.SetEncoding(textEncoding);
        file.CreateNew();
        file.WriteLine(text.GetBuffer());
    } catch (Exception*) {
        DeleteFileW(temporary.GetBuffer());
        throw;
    }
    util::FileReplacement::Replace(target.GetBuffer(), temporary.GetBuffer());
}

}  // namespace rapidxml
}  // namespace xml
