#include "common/ChunkAssembler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Feeds chunks through an assembler and collects what would be converted, chunk by chunk.
class Feeder {
public:
    explicit Feeder(ChunkAssembler& assembler) : assembler(assembler) {}

    std::string Feed(const std::string& chunk) {
        std::vector<char> buffer(ChunkAssembler::MaxCarry + chunk.size() + 1);
        std::memcpy(buffer.data() + ChunkAssembler::MaxCarry, chunk.data(), chunk.size());
        char* start = nullptr;
        size_t n = assembler.Take(buffer.data(), chunk.size(), &start);
        return std::string(start, n);
    }

    std::string Flush() {
        char rest[ChunkAssembler::MaxCarry];
        size_t n = assembler.Flush(rest);
        return std::string(rest, n);
    }

private:
    ChunkAssembler& assembler;
};

// Shift_JIS-like lead bytes: 0x81-0x9F and 0xE0-0xFC.
ChunkAssembler DoubleByte() {
    bool lead[256] = {};
    for (int b = 0x81; b <= 0xFC; ++b) {
        lead[b] = b <= 0x9F || b >= 0xE0;
    }
    ChunkAssembler assembler;
    assembler.SetLeadBytes(lead);
    return assembler;
}

TEST(ChunkAssembler, SingleByteChunksPassWithoutTheirZeroBytes) {
    ChunkAssembler assembler;
    Feeder feed(assembler);
    EXPECT_EQ("abc\xe9", feed.Feed("abc\xe9"));
    EXPECT_EQ("abcd\r\n", feed.Feed(std::string("ab\0cd\0\r\n", 8)));
    EXPECT_EQ("", feed.Feed(std::string("\0\0", 2)));
    EXPECT_EQ(0u, assembler.Pending());
}

TEST(ChunkAssembler, DoubleByteCharacterCutByTheChunkEndIsCarriedOverOrFlushed) {
    ChunkAssembler assembler = DoubleByte();
    Feeder feed(assembler);
    EXPECT_EQ("x", feed.Feed("x\x82"));
    EXPECT_EQ(1u, assembler.Pending());
    EXPECT_EQ("\x82\xa0y", feed.Feed("\xa0y"));
    // A trail byte that looks like a lead byte (0x82 0x82 ...): only a walk from the start tells.
    EXPECT_EQ("\x82\x82", feed.Feed("\x82\x82\x82"));
    EXPECT_EQ("\x82\x81z", feed.Feed("\x81z"));
    // A zero byte between lead and trail byte is dropped, not taken as the trail byte.
    EXPECT_EQ("a", feed.Feed(std::string("a\x88\0", 3)));
    EXPECT_EQ("\x88\x9f", feed.Feed("\x9f"));
    // Output ending inside a character is flushed, not lost.
    EXPECT_EQ("ok", feed.Feed("ok\xe0"));
    EXPECT_EQ("\xe0", feed.Flush());
    EXPECT_EQ(0u, assembler.Pending());
    EXPECT_EQ("", feed.Flush());
}

TEST(ChunkAssembler, Utf8SequencesCutAnywhereAreCarriedOver) {
    const std::string text =
        "a\xc3\xa9"
        "b\xe2\x82\xac"
        "c\xf0\x9f\x98\x80"
        "d";  // a é b € c 😀 d
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        ChunkAssembler assembler;
        assembler.SetUtf8();
        Feeder feed(assembler);
        std::string first = feed.Feed(text.substr(0, cut));
        std::string second = feed.Feed(text.substr(cut));
        EXPECT_EQ(text, first + second) << "cut at " << cut;
        // Each piece ends on a character boundary: the next byte is not a continuation byte.
        if (!first.empty() && first.size() < text.size()) {
            EXPECT_NE(0x80, static_cast<unsigned char>(text[first.size()]) & 0xC0) << "cut at " << cut;
        }
    }
    ChunkAssembler assembler;
    assembler.SetUtf8();
    Feeder feed(assembler);
    EXPECT_EQ("\x80\x80", feed.Feed("\x80\x80"));  // stray continuation bytes are not held back
}

}  // namespace
