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
    EXPECT_FALSE(stream.GetText().IsNull());
    EXPECT_STREQ(L"", stream.GetText().GetBuffer());
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

TEST(ByteArrayOutputStream, GrowthAndReserveKeepEveryByteAndTheExactSize) {
    io::ByteArrayOutputStream stream;
    std::string expected;
    for (int i = 0; i < 100000; ++i) {
        char c = static_cast<char>('a' + i % 26);
        stream.Write(&c, 1);
        expected += c;
        if (i == 3) {
            stream.Reserve(1 << 20);
        } else if (i == 5) {
            stream.Reserve(1);  // smaller than what is held: nothing changes
        }
    }
    EXPECT_EQ(expected, Contents(stream));
}

TEST(ByteArrayOutputStream, LargeBlocksMovedByTheirFasterGrowthKeepEveryByte) {
    // Receive-sized pieces past the size from which the block grows by more than doubling.
    io::ByteArrayOutputStream stream;
    std::string expected;
    std::string piece(61440, '\0');
    for (int round = 0; expected.size() < 5u * 1024u * 1024u; ++round) {
        for (size_t i = 0; i < piece.size(); ++i) {
            piece[i] = static_cast<char>(i * 31 + round);
        }
        stream.Write(piece.data(), static_cast<uint32_t>(piece.size()));
        expected += piece;
    }
    EXPECT_EQ(expected.size(), stream.GetSize());
    EXPECT_TRUE(expected == Contents(stream));  // a mismatch would print megabytes
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
