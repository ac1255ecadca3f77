#include "util/File.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/ScratchDirectory.h"
#include "util/SystemError.h"
#include "util/TextFile.h"
#include "support/ThrownMessage.h"

using testsupport::ScratchDirectory;

namespace {

using testsupport::ThrownMessage;

// The marks themselves are the codec's (TextCodecTest); here the file is read for them and rewound.
TEST(FileReadFromBeginning, DetectsTheMarkAndRewindsToIt) {
    ScratchDirectory dir;
    util::File empty(dir.Write(L"empty.txt", "").c_str());
    empty.SetEncoding(util::UTF32BE);
    empty.ReadFromBeginning();
    EXPECT_EQ(util::UTF32BE, empty.GetEncoding());  // an empty file leaves the encoding alone
    util::File file(dir.Write(L"a.txt", "\xEF\xBB\xBFxy").c_str());
    file.ReadFromBeginning();
    EXPECT_EQ(util::UTF8, file.GetEncoding());
    char first[3] = {};
    EXPECT_EQ(3u, file.Read(first, 3));
    EXPECT_EQ(std::string("\xEF\xBB\xBF"), std::string(first, 3));
    DWORD count = 99;
    char rest[8] = {};
    EXPECT_EQ(2u, file.Read(rest, sizeof(rest), &count));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(0u, file.Read(rest, sizeof(rest)));  // the end of the file is no failure
}

TEST(FileOpen, MessagesForMissingPathsAndSecondOpens) {
    ScratchDirectory dir;
    util::File noPath;
    EXPECT_EQ(L"File::OpenFile()\nFile path not set",
              ThrownMessage([&] { noPath.OpenFile(GENERIC_READ, OPEN_EXISTING); }));
    util::File emptyPath(L"");
    EXPECT_EQ(L"File::OpenFile()\nFile path not set", ThrownMessage([&] { emptyPath.CreateNew(); }));

    util::File file(dir.Write(L"a.txt", "x").c_str());
    file.ReadFromBeginning();
    EXPECT_EQ(L"File::OpenFile()\nFile already oppened", ThrownMessage([&] { file.ReadFromBeginning(); }));

    std::wstring missing = dir.File(L"missing.txt");
    util::File absent(missing.c_str());
    std::wstring message = ThrownMessage([&] { absent.ReadFromBeginning(); });
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(L"File::ReadFromBeginning()\nFile : " + missing + L"\n" + GetSystemErrorText(), message);
    EXPECT_FALSE(absent.IsOpen());
    // A file that cannot be created: HttpClientTest's GetToFile.
}

TEST(FileCreateNew, ReplacesContentAndWritesTheMark) {
    ScratchDirectory dir;
    std::wstring path = dir.Write(L"a.txt", "old content that is long");
    {
        util::File file(path.c_str());
        file.SetEncoding(util::UTF16LE);
        file.CreateNew();
        EXPECT_EQ(2u, file.Write("h\0", 2));
    }
    EXPECT_EQ(std::string("\xFF\xFEh\0", 4), ScratchDirectory::Read(path));
    const util::Encoding noMark[] = {util::Ansi, util::Unknown};
    for (util::Encoding encoding : noMark) {
        util::File file(path.c_str());
        file.SetEncoding(encoding);
        file.CreateNew();
        file.Close();
        EXPECT_EQ(std::string(), ScratchDirectory::Read(path));
    }
    util::File closed(path.c_str());
    EXPECT_EQ(L"File::WriteTheBOM()\nFile handle is null or invalid.", ThrownMessage([&] { closed.WriteTheBOM(); }));
}

TEST(FileLoadIntoMemory, WholeFileWithTwoTerminatingZeros) {
    ScratchDirectory dir;
    const std::string sizes[] = {"", "a", std::string(70000, 'z') + "end"};
    for (const std::string& content : sizes) {
        util::File file(dir.Write(L"m.bin", content).c_str());
        file.ReadFromBeginning();
        char* out = nullptr;
        DWORD loaded = 0;
        std::unique_ptr<char[]> owned(file.LoadIntoMemory(&out, &loaded));
        ASSERT_EQ(out, owned.get());
        EXPECT_EQ(content, std::string(out, content.size()));
        EXPECT_EQ(0, out[content.size()]);
        EXPECT_EQ(0, out[content.size() + 1]);
        EXPECT_EQ(content.size(), loaded);
    }
}

TEST(FileGetSize, RefusesClosedHandlesAndFilesOf4GiB) {
    ScratchDirectory dir;
    std::wstring path = dir.File(L"big.bin");
    util::File closed(path.c_str());
    EXPECT_EQ(L"File::GetSize()\nHandle for " + path + L" is not valid.", ThrownMessage([&] { closed.GetSize(); }));

    HANDLE big = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, big);
    LONG high = 1;  // 4 GiB, a sparse file on the host
    SetFilePointer(big, 0, &high, FILE_BEGIN);
    bool extended = SetEndOfFile(big) != FALSE;
    CloseHandle(big);
    if (!extended) {
        GTEST_SKIP() << "the file system refuses a 4 GiB file";
    }
    util::File file(path.c_str());
    file.ReadFromBeginning();
    EXPECT_EQ(L"File::GetSize()\ndwHigh is not 0.", ThrownMessage([&] { file.GetSize(); }));
    char* out = nullptr;
    EXPECT_NE(L"<no exception>", ThrownMessage([&] { file.LoadIntoMemory(&out); }));
    EXPECT_EQ(nullptr, out);
}

TEST(FileDelete, OpenFileThrowsMissingFileGivesFalse) {
    ScratchDirectory dir;
    std::wstring path = dir.Write(L"d.txt", "x");
    util::File file(path.c_str());
    file.ReadFromBeginning();
    EXPECT_EQ(L"File::Delete () - " + path + L" is still open.", ThrownMessage([&] { file.Delete(); }));
    file.Close();
    EXPECT_TRUE(file.Delete());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
    EXPECT_FALSE(file.Delete());
    util::File noPath;
    EXPECT_FALSE(noPath.Delete());
}

TEST(TextFileWriteLine, AppendsInTheFileEncoding) {
    ScratchDirectory dir;
    struct Case {
        util::Encoding encoding;
        std::string expected;
    };
    const Case cases[] = {
        {util::Ansi, "\xC3\xA9\r\nb\r\n"},
        {util::UTF8, "\xEF\xBB\xBF\xC3\xA9\r\nb\r\n"},
        {util::UTF16LE, std::string("\xFF\xFE\xE9\0\r\0\n\0b\0\r\0\n\0", 14)},
        {util::UTF16BE, std::string("\xFE\xFF\0\xE9\0\r\0\n\0b\0\r\0\n", 14)},
    };
    for (const Case& c : cases) {
        std::wstring path = dir.File(L"lines.txt");
        util::TextFile file(path.c_str());
        file.SetEncoding(c.encoding);
        file.CreateNew();
        file.WriteLine(L"\u00E9");
        file.SetPointerToBeginning();  // WriteLine appends wherever the pointer stands
        file.WriteLine(L"b");
        file.Close();
        EXPECT_EQ(c.expected, ScratchDirectory::Read(path)) << "encoding " << c.encoding;
    }
}

TEST(TextFileWriteLine, FailsOnClosedAndReadOnlyFiles) {
    ScratchDirectory dir;
    std::wstring path = dir.Write(L"r.txt", "abc");
    util::TextFile file(path.c_str());
    EXPECT_EQ(L"TextFile::WriteLine()\nFile is not open or invalid.", ThrownMessage([&] { file.WriteLine(L"x"); }));
    file.ReadFromBeginning();
    std::wstring message = ThrownMessage([&] { file.WriteLine(L"x"); });
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(L"File::Write()\nFile : " + path + L"\n" + GetSystemErrorText(), message);
    EXPECT_EQ("abc", ScratchDirectory::Read(path));
}

}  // namespace
