#include "common/ChunkAssembler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Feeds a chunk through the assembler as the reader does; returns what would be converted.
std::string Feed(ChunkAssembler& assembler, const std::string& chunk) {
    std::vector<char> buffer(ChunkAssembler::MaxCarry + chunk.size() + 1);
    std::memcpy(buffer.data() + ChunkAssembler::MaxCarry, chunk.data(), chunk.size());
    char* start = nullptr;
    size_t n = assembler.Take(buffer.data(), chunk.size(), &start);
    return std::string(start, n);
}

std::string Flush(ChunkAssembler& assembler) {
    char rest[ChunkAssembler::MaxCarry];
    return std::string(rest, assembler.Flush(rest));
}

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
    EXPECT_EQ("abc\xe9", Feed(assembler, "abc\xe9"));
    EXPECT_EQ("abcd\r\n", Feed(assembler, std::string("ab\0cd\0\r\n", 8)));
    EXPECT_EQ("", Feed(assembler, std::string("\0\0", 2)));
    EXPECT_EQ(0u, assembler.Pending());
}

TEST(ChunkAssembler, DoubleByteCharacterCutByTheChunkEndIsCarriedOverOrFlushed) {
    ChunkAssembler assembler = DoubleByte();
    EXPECT_EQ("x", Feed(assembler, "x\x82"));
    EXPECT_EQ(1u, assembler.Pending());
    EXPECT_EQ("\x82\xa0y", Feed(assembler, "\xa0y"));
    // A trail byte that looks like a lead byte (0x82 0x82 ...): only a walk from the start tells.
    EXPECT_EQ("\x82\x82", Feed(assembler, "\x82\x82\x82"));
    EXPECT_EQ("\x82\x81z", Feed(assembler, "\x81z"));
    // A zero byte between lead and trail byte is dropped, not taken as the trail byte.
    EXPECT_EQ("a", Feed(assembler, std::string("a\x88\0", 3)));
    EXPECT_EQ("\x88\x9f", Feed(assembler, "\x9f"));
    // Output ending inside a character is flushed, not lost.
    EXPECT_EQ("ok", Feed(assembler, "ok\xe0"));
    EXPECT_EQ("\xe0", Flush(assembler));
    EXPECT_EQ(0u, assembler.Pending());
    EXPECT_EQ("", Flush(assembler));
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
        std::string first = Feed(assembler, text.substr(0, cut));
        std::string second = Feed(assembler, text.substr(cut));
        EXPECT_EQ(text, first + second) << "cut at " << cut;
        // Each piece ends on a character boundary: the next byte is not a continuation byte.
        if (!first.empty() && first.size() < text.size()) {
            EXPECT_NE(0x80, static_cast<unsigned char>(text[first.size()]) & 0xC0) << "cut at " << cut;
        }
    }
    ChunkAssembler assembler;
    assembler.SetUtf8();
    EXPECT_EQ("\x80\x80", Feed(assembler, "\x80\x80"));  // stray continuation bytes are not held back
}

}  // namespace
