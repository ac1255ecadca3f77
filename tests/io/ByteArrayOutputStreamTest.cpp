#include "io/ByteArrayOutputStream.h"

#include <gtest/gtest.h>

#include <string>

#include "io/StreamContents.h"
#include "support/ThrownMessage.h"

namespace {

using testsupport::Contents;

TEST(ByteArrayOutputStream, WritesAppendTextFollowsAndResetFrees) {
    io::ByteArrayOutputStream stream;
    EXPECT_EQ(nullptr, stream.GetData());
    EXPECT_STREQ(L"", stream.GetText().GetBuffer());  // empty, not null
    stream.Write("ab", 2);
    stream.Write("c", 1);
    EXPECT_STREQ(L"abc", stream.GetText().GetBuffer());
    stream.Write("\xE9", 1);  // Windows-1252 e acute: the text is converted again
    EXPECT_STREQ(L"abc\u00E9", stream.GetText().GetBuffer());
    stream.Write("\0d", 2);  // the text stops at a zero byte, the data keeps everything
    EXPECT_EQ(std::string("abc\xE9\0d", 6), Contents(stream));
    EXPECT_STREQ(L"abc\u00E9", stream.GetText().GetBuffer());
    stream.Reset();
    EXPECT_EQ(0u, stream.GetSize());
    EXPECT_EQ(nullptr, stream.GetData());
    EXPECT_STREQ(L"", stream.GetText().GetBuffer());
    stream.Write("x", 1);
    EXPECT_EQ("x", Contents(stream));
}

TEST(ByteArrayOutputStream, GrowthDoublesSmallBlocksAndBoundsLargeOnes) {
    const uint64_t MB = 1024 * 1024;
    const struct {
        uint32_t capacity;
        uint64_t needed;
        uint64_t grown;
    } cases[] = {
        {0, 1, 1},
        {64, 65, 128},
        {64, 1000, 1000},  // a large write needs no more than itself
        {MB / 2, MB / 2 + 1, MB},
        {4 * MB, 4 * MB + 1, 6 * MB},
        {120 * MB, 120 * MB + 61440, 180 * MB},  // a 130 MB body never asks for a gigabyte
        {1024 * MB, 1024 * MB + 1, 1088 * MB},
        {0xFFFFF000u, 0xFFFFF001u, 0xFFFFFFFFu},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.grown, io::ByteArrayOutputStream::NextCapacity(c.capacity, c.needed)) << c.capacity;
    }
}

TEST(ByteArrayOutputStream, GrowthBeyondFourGigabytesIsRefusedAndTheBytesKept) {
    io::ByteArrayOutputStream stream;
    stream.Write("abc", 3);
    // 3 + 4 GiB - 1 cannot be counted in 32 bits
    std::wstring message = testsupport::ThrownMessage([&] { stream.Write("x", 0xFFFFFFFFu); });
    EXPECT_NE(std::wstring::npos, message.find(L"ByteArrayOutputStream::Write()")) << message;
    EXPECT_EQ("abc", Contents(stream));
}

}  // namespace
