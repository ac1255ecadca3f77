// A child's output bytes through the reader's assembler and the decoder, as the reader takes them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/ChunkAssembler.h"
#include "util/OutputEncoding.h"
#include "util/Platform.h"
#include "util/TextCodec.h"

using util::OutputEncoding;
using util::TextCodec;
using Mode = util::OutputEncoding::Mode;

namespace {

std::wstring Decode(const std::string& bytes, Mode mode) {
    std::wstring out = L"left over";
    TextCodec::DecodeOutput(bytes.data(), bytes.size(), mode, out);
    return out;
}

// The complete bytes the assembler hands on from one read, as the reader places the read.
std::string Take(ChunkAssembler& assembler, const std::string& piece) {
    std::vector<char> buffer(ChunkAssembler::MaxCarry + piece.size() + 1);
    std::memcpy(buffer.data() + ChunkAssembler::MaxCarry, piece.data(), piece.size());
    char* start = nullptr;
    size_t complete = assembler.Take(buffer.data(), piece.size(), &start);
    return std::string(start, complete);
}

// Reads as the reader does, the bytes cut into the given pieces: assembler, then decoder.
std::wstring ReadInPieces(const std::vector<std::string>& pieces, Mode mode) {
    ChunkAssembler assembler;
    assembler.SetUtf8();
    std::wstring text;
    for (const std::string& piece : pieces) {
        text += Decode(Take(assembler, piece), mode);
    }
    char rest[ChunkAssembler::MaxCarry];
    size_t left = assembler.Flush(rest);
    text += Decode(std::string(rest, left), mode);
    return text;
}

}  // namespace

TEST(OutputEncoding, NamesParseInAnyCaseAndNothingElse) {
    Mode mode = Mode::Ansi;
    for (auto named : {std::make_pair(L"AUTO", Mode::Auto), std::make_pair(L"Utf-8", Mode::Utf8),
                       std::make_pair(L"ansi", Mode::Ansi), std::make_pair(L"OeM", Mode::Oem)}) {
        EXPECT_TRUE(OutputEncoding::Parse(named.first, mode)) << named.first;
        EXPECT_EQ(named.second, mode) << named.first;
    }
    for (const wchar_t* wrong : {L"", L"utf8", L"auto ", L"oe", L"oemx", L"latin1"}) {
        EXPECT_FALSE(OutputEncoding::Parse(wrong, mode)) << wrong;
    }
    EXPECT_EQ(Mode::Oem, mode);
    for (Mode each : {Mode::Auto, Mode::Utf8, Mode::Ansi, Mode::Oem}) {
        Mode back = Mode::Auto;
        EXPECT_TRUE(OutputEncoding::Parse(OutputEncoding::Name(each), back));
        EXPECT_EQ(each, back);
    }
}

TEST(OutputDecoding, AutoTakesValidUtf8AsUtf8AndEveryOtherRunInTheAnsiCodePage) {
    const std::string utf8 = "caf\xc3\xa9 \xe2\x9c\x93 \xe2\x94\x80\xe2\x94\x80 \xf0\x9f\x98\x80";
    std::wstring expected = L"caf\xe9 \x2713 \x2500\x2500 ";
    platform::AppendCodePoint(expected, 0x1F600);
    EXPECT_EQ(expected, Decode(utf8, Mode::Auto));
    EXPECT_EQ(expected, Decode(utf8, Mode::Utf8));
    // Windows-1252 stands for the ANSI code page in native builds.
    EXPECT_EQ(
        L"Gr\xfc\xdf"
        L"e caf\xe9",
        Decode("Gr\xfc\xdf"
               "e caf\xe9",
               Mode::Auto));
    EXPECT_EQ(L"caf\xc3\xa9", Decode("caf\xc3\xa9", Mode::Ansi));
    // One line may hold both: each run is decided by itself.
    EXPECT_EQ(L"\x2713 caf\xe9 \x2713 \x20ac", Decode("\xe2\x9c\x93 caf\xe9 \xe2\x9c\x93 \x80", Mode::Auto));
    // Overlong forms, surrogates, values past U+10FFFF and a cut sequence are not UTF-8.
    EXPECT_EQ(L"\xc0\x20ac", Decode("\xc0\x80", Mode::Auto));
    EXPECT_EQ(L"\xed\xa0\x20ac", Decode("\xed\xa0\x80", Mode::Auto));
    EXPECT_EQ(L"\xf4\x90\x20ac\x20ac", Decode("\xf4\x90\x80\x80", Mode::Auto));
    EXPECT_EQ(L"x\xe2\x201a", Decode("x\xe2\x82", Mode::Auto));
    EXPECT_EQ(L"\xe0\x20ac\xbf", Decode("\xe0\x80\xbf", Mode::Auto));
    // The fixed UTF-8 shows every invalid byte as U+FFFD and keeps what is valid.
    EXPECT_EQ(L"caf\xfffd \xfffd\xfffd\x2713", Decode("caf\xe9 \xc0\x80\xe2\x9c\x93", Mode::Utf8));
    EXPECT_EQ(L"", Decode("", Mode::Auto));
    EXPECT_EQ(L"plain", Decode("plain", Mode::Oem));
}

TEST(OutputDecoding, TextCutAtEveryByteReadsAsInOnePiece) {
    const std::string inputs[] = {
        "a\xc3\xa9"
        "b\xe2\x82\xac"
        "c\xf0\x9f\x98\x80"
        "d",
        "caf\xe9 \xe2\x9c\x93 Gr\xfc\xdf"
        "e \xc3\xa9\xa9 \xff\xfe x\xe2\x82",
        "\x1b[31m\xe2\x94\x80\xe2\x94\x80\x1b[0m \xe9t\xe9",
    };
    for (const std::string& input : inputs) {
        for (Mode mode : {Mode::Auto, Mode::Utf8}) {
            const std::wstring whole = Decode(input, mode);
            for (size_t cut = 0; cut <= input.size(); ++cut) {
                EXPECT_EQ(whole, ReadInPieces({input.substr(0, cut), input.substr(cut)}, mode)) << "cut at " << cut;
                for (size_t second = cut; second <= input.size(); second += 3) {
                    EXPECT_EQ(whole,
                              ReadInPieces(
                                  {input.substr(0, cut), input.substr(cut, second - cut), input.substr(second)}, mode))
                        << "cuts at " << cut << " and " << second;
                }
            }
        }
    }
}

// ASCII runs are widened in bulk: around a sequence, an invalid byte or a cut sequence at any
// place in a long line, the text reads as its pieces decoded one by one.
TEST(OutputDecoding, LongAsciiRunsAroundOtherBytesReadAsTheirPieces) {
    const std::string others[] = {"\xc3\xa9", "\xe2\x9c\x93", "\xf0\x9f\x98\x80", "\xe9", "\xc0\x80", "\xe2\x82"};
    std::string ascii;
    for (int i = 0; i < 48; ++i) {
        ascii += static_cast<char>('a' + i % 26);
    }
    for (const std::string& other : others) {
        for (Mode mode : {Mode::Auto, Mode::Utf8}) {
            for (size_t before = 0; before <= ascii.size(); ++before) {
                const std::string head = ascii.substr(0, before), tail = ascii.substr(before);
                const std::wstring expected = Decode(head, mode) + Decode(other, mode) + Decode(tail, mode);
                EXPECT_EQ(expected, Decode(head + other + tail, mode)) << before;
                EXPECT_EQ(expected + expected, Decode(head + other + tail + head + other + tail, mode)) << before;
            }
        }
    }
}

// "auto" under a double-byte ANSI code page (Shift_JIS-like lead bytes): a character of the code
// page stays whole in the decoder's runs and across reads, also where its trail byte is ASCII.
TEST(OutputDecoding, AutoKeepsDoubleByteCharactersOfTheAnsiCodePageWhole) {
    bool lead[256] = {};
    for (int b = 0x81; b <= 0xFC; ++b) {
        lead[b] = b <= 0x9F || b >= 0xE0;
    }
    // 0x83 0x41 is one character whose trail byte is "A"; 0x82 0xA0 another. (The stand-in code
    // page of native builds shows each byte by itself; the characters themselves are read under a
    // real double-byte code page by the process tests under Wine.)
    const std::string input =
        "x\x83"
        "Ay \x82\xa0 \xe2\x9c\x93 \x83";
    std::wstring whole;
    TextCodec::DecodeOutput(input.data(), input.size(), Mode::Auto, whole, lead);
    std::wstring expected =
        L"x\x0192"
        L"Ay \x201a\xa0 \x2713 \x0192";
    EXPECT_EQ(expected, whole);
    for (size_t cut = 0; cut <= input.size(); ++cut) {
        ChunkAssembler assembler;
        assembler.SetAuto(lead);
        std::string first = Take(assembler, input.substr(0, cut));
        // The first piece never ends on a lead byte that has its partner in the second.
        if (cut == 2 || cut == 6) {
            EXPECT_EQ(input.substr(0, cut - 1), first) << "cut at " << cut;
        }
        std::string joined = first + Take(assembler, input.substr(cut));
        char rest[ChunkAssembler::MaxCarry];
        joined.append(rest, assembler.Flush(rest));
        EXPECT_EQ(input, joined) << "cut at " << cut;
    }
    // A lone lead byte before a cut four-byte sequence would pass the carry: it goes at once.
    ChunkAssembler assembler;
    assembler.SetAuto(lead);
    EXPECT_EQ("a\x83", Take(assembler, "a\x83\xf0\x9f\x98"));
    EXPECT_EQ(3u, assembler.Pending());
}
