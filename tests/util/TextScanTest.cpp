#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/TextScan.h"

namespace {

// Every start offset and length around the 16-byte blocks, with the sought byte at every place:
// the block loop and the tail loop must agree with a plain scan.
TEST(TextScan, FindZeroByteMatchesAPlainScanAtEveryOffsetAndPlace) {
    std::vector<char> bytes(64, '\x80');  // high bits set: neither zero nor ASCII
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t count = 0; count <= 40; ++count) {
            const char* start = bytes.data() + offset;
            EXPECT_EQ(nullptr, TextScan::FindZeroByte(start, count)) << offset << "/" << count;
            for (size_t place = 0; place < count; ++place) {
                bytes[offset + place] = '\0';
                bytes[offset + count - 1] = '\0';  // a second zero after it must not win
                EXPECT_EQ(start + place, TextScan::FindZeroByte(start, count)) << offset << "/" << count;
                bytes[offset + place] = bytes[offset + count - 1] = '\xFF';
            }
        }
    }
}

TEST(TextScan, WideLengthMatchesWcslenAtEveryAlignment) {
    std::vector<wchar_t> text(80, L'\xFF00');  // low byte zero: only a whole zero unit ends it
    for (size_t offset = 0; offset < 8; ++offset) {
        for (size_t length = 0; length <= 40; ++length) {
            text[offset + length] = L'\0';
            EXPECT_EQ(length, TextScan::WideLength(text.data() + offset)) << offset << "/" << length;
            text[offset + length] = L'\xFF00';
        }
    }
}

TEST(TextScan, WidenAsciiWidensPlainBytesAndRefusesAnyOtherAtEveryPlace) {
    std::string bytes;
    for (int i = 0; i < 40; ++i) {
        bytes += static_cast<char>(i * 13 % 128);  // zero and 0x7F included
    }
    std::vector<wchar_t> out(bytes.size());
    ASSERT_TRUE(TextScan::WidenAscii(bytes.data(), bytes.size(), out.data()));
    EXPECT_EQ(std::wstring(bytes.begin(), bytes.end()), std::wstring(out.begin(), out.end()));
    for (size_t place = 0; place < bytes.size(); ++place) {
        std::string other = bytes;
        other[place] = '\x80';
        EXPECT_FALSE(TextScan::WidenAscii(other.data(), other.size(), out.data())) << place;
        EXPECT_TRUE(TextScan::WidenAscii(other.data(), place, out.data())) << place;
    }
}

// The run's end at every place across the blocks: the units before it are the bytes widened.
TEST(TextScan, WidenAsciiRunStopsAtTheFirstOtherByteAtEveryPlace) {
    std::string bytes;
    for (int i = 0; i < 40; ++i) {
        bytes += static_cast<char>(i * 13 % 128);
    }
    std::vector<wchar_t> out(bytes.size());
    for (size_t place = 0; place <= bytes.size(); ++place) {
        std::string other = bytes;
        if (place < other.size()) {
            other[place] = place % 2 ? '\x80' : '\xFF';
        }
        ASSERT_EQ(place, TextScan::WidenAsciiRun(other.data(), other.size(), out.data())) << place;
        EXPECT_EQ(std::wstring(bytes.begin(), bytes.begin() + place), std::wstring(out.data(), place)) << place;
    }
}

TEST(TextScan, PlainLinesPassWholeAndAnyControlOrWideUnitStopsThemAtEveryPlace) {
    std::wstring text;
    for (int i = 0; i < 40; ++i) {
        text += static_cast<wchar_t>(i % 9 == 4 ? '\t' : 0x20 + i * 13 % 95);  // blank to '~', tabs
    }
    std::string out(text.size(), '?');
    ASSERT_TRUE(TextScan::NarrowPlainLine(text.data(), text.size(), &out[0]));
    EXPECT_EQ(std::string(text.begin(), text.end()), out);
    ASSERT_EQ(text.size(), TextScan::PlainAsciiLength(out.data(), out.size()));
    // Units whose low byte alone would pass must be refused too; so must every control a
    // console acts on.
    for (wchar_t refused : {L'\r', L'\x1B', L'\b', L'\0', L'\x7F', L'\x80', L'\x109', L'\xFF41', L'\xD83D'}) {
        for (size_t place = 0; place < text.size(); ++place) {
            std::wstring other = text;
            other[place] = refused;
            EXPECT_FALSE(TextScan::NarrowPlainLine(other.data(), other.size(), &out[0])) << place;
            EXPECT_TRUE(TextScan::NarrowPlainLine(other.data(), place, &out[0])) << place;
            if (refused < 0x100) {
                std::string bytes(text.begin(), text.end());
                bytes[place] = static_cast<char>(refused);
                EXPECT_EQ(place, TextScan::PlainAsciiLength(bytes.data(), bytes.size())) << place;
                std::string copy(bytes.size(), '?');
                ASSERT_EQ(place, TextScan::CopyPlainAscii(bytes.data(), bytes.size(), &copy[0])) << place;
                EXPECT_EQ(bytes.substr(0, place), copy.substr(0, place)) << place;
            }
        }
    }
}

}  // namespace
