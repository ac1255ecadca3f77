#include "io/ByteArrayOutputStream.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "util/Exception.h"

namespace {

std::string Contents(io::ByteArrayOutputStream& stream) {
    return stream.GetData() ? std::string(stream.GetData(), stream.GetSize()) : std::string();
}

TEST(ByteArrayOutputStream, NeverWrittenIsEmpty) {
    io::ByteArrayOutputStream stream;
    EXPECT_EQ(0u, stream.GetSize());
    EXPECT_EQ(nullptr, stream.GetData());
    EXPECT_FALSE(stream.GetText().IsNull());
    EXPECT_STREQ(L"", stream.GetText().GetBuffer());
    EXPECT_STREQ(L"ByteArrayOutputStream", stream.GetObjectClassName());
}

TEST(ByteArrayOutputStream, WritesAppendAndTextFollowsEveryWrite) {
    io::ByteArrayOutputStream stream;
    stream.Write("ab", 2);
    stream.Write("c", 1);
    EXPECT_EQ(3u, stream.GetSize());
    EXPECT_EQ("abc", Contents(stream));
    EXPECT_STREQ(L"abc", stream.GetText().GetBuffer());
    stream.Write("\xE9", 1);  // Windows-1252 e acute: the text is converted again
    EXPECT_STREQ(L"abc\u00E9", stream.GetText().GetBuffer());
}

TEST(ByteArrayOutputStream, TextStopsAtZeroByteButDataKeepsEverything) {
    io::ByteArrayOutputStream stream;
    stream.Write("ab\0cd", 5);
    EXPECT_EQ(5u, stream.GetSize());
    EXPECT_EQ(std::string("ab\0cd", 5), Contents(stream));
    EXPECT_STREQ(L"ab", stream.GetText().GetBuffer());
}

TEST(ByteArrayOutputStream, ResetFreesTheBytes) {
    io::ByteArrayOutputStream stream;
    stream.Write("abc", 3);
    EXPECT_STREQ(L"abc", stream.GetText().GetBuffer());
    stream.Reset();
    EXPECT_EQ(0u, stream.GetSize());
    EXPECT_EQ(nullptr, stream.GetData());
    EXPECT_STREQ(L"", stream.GetText().GetBuffer());
    stream.Write("x", 1);
    EXPECT_EQ("x", Contents(stream));
}

TEST(ByteArrayOutputStream, ManySmallWritesKeepEveryByteInOrder) {
    io::ByteArrayOutputStream stream;
    std::string expected;
    for (int i = 0; i < 100000; ++i) {
        char c = static_cast<char>('a' + i % 26);
        stream.Write(&c, 1);
        expected += c;
    }
    EXPECT_EQ(expected, Contents(stream));
}

TEST(ByteArrayOutputStream, ReserveKeepsTheBytesAndSizeStaysExact) {
    io::ByteArrayOutputStream stream;
    stream.Write("abc", 3);
    stream.Reserve(1 << 20);
    EXPECT_EQ(3u, stream.GetSize());
    EXPECT_EQ("abc", Contents(stream));
    stream.Reserve(1);  // smaller than what is held: nothing changes
    stream.Write("d", 1);
    EXPECT_EQ("abcd", Contents(stream));
}

TEST(ByteArrayOutputStream, GrowthBeyondFourGigabytesIsRefusedAndTheBytesKept) {
    io::ByteArrayOutputStream stream;
    stream.Write("abc", 3);
    try {
        stream.Write("x", 0xFFFFFFFFu);  // 3 + 4 GiB - 1 cannot be counted in 32 bits
        FAIL() << "no exception";
    } catch (Exception* e) {
        EXPECT_NE(nullptr, std::wcsstr(e->GetMessageText().GetBuffer(), L"ByteArrayOutputStream::Write()"));
        delete e;
    }
    EXPECT_EQ(3u, stream.GetSize());
    EXPECT_EQ("abc", Contents(stream));
}

}  // namespace
