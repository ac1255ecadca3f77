#include "xml/rapidxml/RapidXMLDocument.h"

#include <memory>
#include <string>

#include "util/Exception.h"
#include "util/SystemError.h"
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
    char* bytes = nullptr;
    std::unique_ptr<char[]> owned;
    try {
        LoadIntoMemory(&bytes);
    } catch (...) {
        delete[] bytes;
        throw;
    }
    owned.reset(bytes);
    std::wstring text;
    util::Encoding saveAs = util::TextCodec::Decode(bytes, GetSize(), encoding, text);
    owned.reset();
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
    // Written beside the target first and moved over it at the end, so that a failed write
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
    if (!MoveFileExW(temporary.GetBuffer(), target.GetBuffer(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Exception* failure =
            new Exception(L"File::CreateNew()\nFile : %s\n%s", target.GetBuffer(), GetSystemErrorText());
        DeleteFileW(temporary.GetBuffer());
        throw failure;
    }
}

}  // namespace rapidxml
}  // namespace xml
