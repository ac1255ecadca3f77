#include "xml/rapidxml/RapidXMLDocument.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "support/ScratchDirectory.h"
#include "support/ThrownMessage.h"
#include "util/TextCodec.h"
#include "xml/rapidxml/RapidXMLElement.h"

using testsupport::ScratchDirectory;
using xml::rapidxml::RapidXMLDocument;

namespace {

std::wstring LoadError(RapidXMLDocument& document, const std::wstring& path) {
    return testsupport::ThrownMessage([&] { document.Load(path.c_str()); });
}

const wchar_t kLoaded[] = L"<no exception>";
const std::wstring kTitle = L"Gr\u00FC\u00DFe \u65E5\u672C caf\u00E9 \u4E00\u263C\u4E26";

std::wstring FirstValue(RapidXMLDocument& document) {
    return static_cast<xml::IXMLElement*>(document.GetRootElement()->GetChildNodes()[0])->GetValue();
}

// The bytes of text in encoding, without a mark (the codec's own unit order is tested with fixed bytes).
std::string Bytes(const std::wstring& text, util::Encoding encoding) {
    return util::TextCodec::Encode(text.data(), text.size(), encoding);
}

HANDLE Hold(const std::wstring& path, DWORD sharing) {
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, sharing, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(RapidXMLDocumentLoad, EveryEncodingReadsAndSavesBackUnchanged) {
    ScratchDirectory dir;
    const std::wstring xml = L"<r><t>" + kTitle + L"</t></r>";
    struct Case {
        const char* name;
        std::string bytes;
        util::Encoding saveAs;
        std::string savedMark;
    };
    const Case cases[] = {
        {"UTF-8 without mark", Bytes(xml, util::UTF8), util::Ansi, ""},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + Bytes(xml, util::UTF8), util::UTF8, "\xEF\xBB\xBF"},
        {"UTF-16LE with mark", "\xFF\xFE" + Bytes(xml, util::UTF16LE), util::UTF16LE, "\xFF\xFE"},
        {"UTF-16BE without mark", Bytes(xml, util::UTF16BE), util::UTF16LE, "\xFF\xFE"},  // the rest: TextCodec's
    };
    for (const Case& c : cases) {
        std::wstring path = dir.Write(L"doc.xml", c.bytes);
        RapidXMLDocument document;
        ASSERT_EQ(kLoaded, LoadError(document, path)) << c.name;
        EXPECT_FALSE(document.IsOpen()) << c.name;
        EXPECT_EQ(c.saveAs, document.GetTextEncoding()) << c.name;
        EXPECT_EQ(kTitle, FirstValue(document)) << c.name;

        document.Save(nullptr);
        std::string saved = ScratchDirectory::Read(path);
        EXPECT_EQ(c.savedMark, saved.substr(0, c.savedMark.size())) << c.name;
        RapidXMLDocument again;
        ASSERT_EQ(kLoaded, LoadError(again, path)) << c.name;
        EXPECT_EQ(c.saveAs, again.GetTextEncoding()) << c.name;
        EXPECT_EQ(kTitle, FirstValue(again)) << c.name;
    }
}

TEST(RapidXMLDocumentLoad, FailuresNameTheirCauseAndReleaseTheFile) {
    ScratchDirectory dir;
    RapidXMLDocument document;
    EXPECT_EQ(0u, LoadError(document, dir.File(L"missing.xml")).find(L"File::ReadFromBeginning()\n"));  // FileTest's

    const std::string empty[] = {"", " \r\n", "<!-- nothing -->", std::string("\xFF\xFE", 2)};
    for (const std::string& bytes : empty) {
        std::wstring path = dir.Write(L"empty.xml", bytes);
        EXPECT_EQ(L"XMLDocument::Load (\"" + path + L"\")\nDocument could not be parsed.", LoadError(document, path));
        EXPECT_FALSE(document.IsOpen());
    }
    std::wstring bad = dir.Write(L"bad.xml", "<r><a></r");
    EXPECT_EQ(L"RapidXMLDocument::Parse()\nError while parsing XML document.", LoadError(document, bad));
    EXPECT_FALSE(document.IsOpen());
    EXPECT_TRUE(document.Delete());  // nothing holds the file any more
    std::wstring good = dir.Write(L"good.xml", "<r/>");
    EXPECT_EQ(kLoaded, LoadError(document, good));  // the same object loads again
}

TEST(RapidXMLDocumentSave, NewDocumentIsUtf8WithoutMarkAndFinalBlankLine) {
    ScratchDirectory dir;
    std::wstring path = dir.File(L"new.xml");
    RapidXMLDocument document(path.c_str());
    document.Parse(L"<r/>");
    document.GetRootElement()->AddChildNode(document.CreateElement(L"t", L"\u00E9"));
    document.Save(nullptr);
    EXPECT_EQ("<r>\r\n\t<t>\xC3\xA9</t>\r\n</r>\r\n\r\n", ScratchDirectory::Read(path));
    EXPECT_EQ(util::Ansi, document.GetTextEncoding());
}

// Another program holds the file open without delete sharing: the system refuses to replace it,
// so the file is rewritten in place; its attributes stay as they were.
TEST(RapidXMLDocumentSave, AHeldFileIsRewrittenInPlaceAndKeepsItsAttributes) {
    ScratchDirectory dir;
    std::wstring path = dir.Write(L"kept.xml", "<old/>");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    RapidXMLDocument document(path.c_str());
    document.Parse(L"<new/>");
    document.Save(nullptr);
    EXPECT_EQ("<new/>\r\n\r\n", ScratchDirectory::Read(path));
    EXPECT_NE(0u, GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);

    HANDLE holder = Hold(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    document.Parse(L"<newer/>");
    std::wstring message = testsupport::ThrownMessage([&] { document.Save(nullptr); });
    CloseHandle(holder);
    EXPECT_EQ(kLoaded, message);
    EXPECT_EQ("<newer/>\r\n\r\n", ScratchDirectory::Read(path));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((path + L".saving").c_str()));
}

// Where neither replacing nor rewriting is allowed, the file stays as it was and the new text
// stays in the temporary copy, which the message names.
TEST(RapidXMLDocumentSave, AFailedSaveKeepsBothTheFileAndTheNewText) {
    ScratchDirectory dir;
    std::wstring path = dir.Write(L"kept.xml", "<old/>");
    std::wstring copy = path + L".saving";
    HANDLE holder = Hold(path, FILE_SHARE_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    RapidXMLDocument document(path.c_str());
    document.Parse(L"<new/>");
    std::wstring message = testsupport::ThrownMessage([&] { document.Save(nullptr); });
    CloseHandle(holder);
    EXPECT_EQ(
        0u, message.find(L"FileReplacement::Replace()\nRewriting " + path + L" in place; its new content is kept in " +
                         copy + L"\nFile::OpenFile()\nFile : " + path + L"\n"))
        << message;
    EXPECT_EQ("<old/>", ScratchDirectory::Read(path));
    EXPECT_EQ("<new/>\r\n\r\n", ScratchDirectory::Read(copy));
}

// An editor may rewrite the file while it loads: the bytes are decoded with the size that was read,
// never with a second, larger size that would take the decoder past the buffer.
TEST(RapidXMLDocumentLoad, AFileThatGrowsWhileLoadingIsDecodedAsRead) {
    ScratchDirectory dir;
    std::wstring path = dir.Write(L"growing.xml", "<r/>");
    std::atomic<bool> done(false);
    std::thread editor([&] {
        HANDLE file = Hold(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
        for (LONG size = 8 << 20; !done; size = size == 4 ? 8 << 20 : 4) {
            SetFilePointer(file, size, nullptr, FILE_BEGIN);
            SetEndOfFile(file);
        }
        CloseHandle(file);
    });
    int loaded = 0;
    for (int i = 0; i < 300; ++i) {
        RapidXMLDocument document;
        loaded += LoadError(document, path) == kLoaded ? 1 : 0;  // a short read is refused, not misread
    }
    done = true;
    editor.join();
    EXPECT_GT(loaded, 0);
}

TEST(RapidXMLDocumentLoad, FilesBeyondTheSizeCapAreRefusedUnread) {
    ScratchDirectory dir;
    std::wstring path = dir.Write(L"big.xml", "<r/>" + std::string(RapidXMLDocument::kMaximumSize - 3, ' '));
    RapidXMLDocument document;
    EXPECT_EQ(L"XMLDocument::Load (\"" + path + L"\")\nThe file is larger than 16 MB.", LoadError(document, path));
    EXPECT_FALSE(document.IsOpen());
}

}  // namespace
