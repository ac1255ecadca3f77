#include "io/FileOutputStream.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ScratchDirectory.h"
#include "util/Exception.h"

namespace {

using testsupport::ScratchDirectory;

std::wstring MessageOf(Exception* e) {
    std::wstring message = e->GetMessageText().GetBuffer();
    delete e;
    return message;
}

TEST(FileOutputStream, ConstructionTruncatesAndWritesNoMark) {
    ScratchDirectory scratch;
    std::wstring path = scratch.Write(L"out.bin", "previous contents");
    {
        io::FileOutputStream stream(path.c_str());
        EXPECT_STREQ(L"FileOutputStream", stream.GetObjectClassName());
        EXPECT_EQ(0u, stream.GetSize());
        EXPECT_EQ("", ScratchDirectory::Read(path));
        stream.Write("ab", 2);
        stream.Write("\0c", 2);
        EXPECT_EQ(4u, stream.GetSize());
    }
    EXPECT_EQ(std::string("ab\0c", 4), ScratchDirectory::Read(path));
}

TEST(FileOutputStream, ResetStartsTheFileAgain) {
    ScratchDirectory scratch;
    std::wstring path = scratch.File(L"reset.bin");
    io::FileOutputStream stream(path.c_str());
    stream.Write("first", 5);
    stream.Reset();
    EXPECT_EQ(0u, stream.GetSize());
    stream.Write("second", 6);
    stream.Close();
    EXPECT_EQ("second", ScratchDirectory::Read(path));
}

TEST(FileOutputStream, WriteAfterCloseRaisesTheFileMessage) {
    ScratchDirectory scratch;
    std::wstring path = scratch.File(L"closed.bin");
    io::FileOutputStream stream(path.c_str());
    stream.Close();
    try {
        stream.Write("x", 1);
        FAIL() << "no exception";
    } catch (Exception* e) {
        std::wstring message = MessageOf(e);
        EXPECT_EQ(0u, message.find(L"File::Write()\nFile : " + path + L"\n")) << message;
    }
    EXPECT_EQ(0u, stream.GetSize());
}

TEST(FileOutputStream, MissingFolderRaisesTheCreateMessage) {
    ScratchDirectory scratch;
    std::wstring path = scratch.File(L"no\\such.bin");
    try {
        io::FileOutputStream stream(path.c_str());
        FAIL() << "no exception";
    } catch (Exception* e) {
        std::wstring message = MessageOf(e);
        EXPECT_EQ(0u, message.find(L"File::CreateNew()\nFile : " + path + L"\n")) << message;
    }
}

}  // namespace
