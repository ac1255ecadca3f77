#include "util/TextCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using util::TextCodec;

namespace {

TEST(TextCodecClassify, MarksCutMarksAndStartsWithoutMark) {
    const std::pair<std::string, util::Encoding> cases[] = {
        {"\xEF\xBB\xBFtext", util::UTF8}, {std::string("\xFE\xFF\0<", 4), util::UTF16BE},
        {std::string("\xFF\xFE\0\0", 4), util::UTF32LE}, {std::string("\0\0\xFE\xFF", 4), util::UTF32BE},
        {std::string("\0\0\0<", 4), util::Unknown}, {std::string("<\0p\0", 4), util::Unknown},
        {"<processes>", util::Ansi}, {"<", util::Ansi}, {std::string("\0", 1), util::Unknown},
        {std::string("\xFF\xFE<\0", 4), util::UTF16LE},
        {std::string("\xFF\xFE\0", 3), util::UTF16LE},  // too short for a UTF-32 mark
        {"<\r", util::Ansi},
        {"\n\x01", util::Ansi},
        {"\xE9x", util::Ansi},  // a printable second byte is enough
        {"\n", util::Ansi},
        {std::string("\0\0\xFE", 3), util::Unknown},
        {"\xEF\xBB", util::Unknown},  // a cut UTF-8 mark
        {"\xC3\xA9", util::Unknown},
        {"\xFF", util::Unknown},
        {"", util::Unknown},
    };
    for (const auto& c : cases) {
        const std::string& bytes = c.first;
        EXPECT_EQ(c.second, TextCodec::Classify(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()))
            << "bytes of length " << bytes.size() << " starting " << static_cast<int>(bytes.empty() ? 0 : bytes[0]);
    }
}

struct DecodeCase {
    std::string bytes;
    util::Encoding detected;
    std::wstring text;
    util::Encoding saveAs;
};

TEST(TextCodecDecode, SkipsMarksAndPicksTheSaveEncoding) {
    const DecodeCase cases[] = {
        {"\xEF\xBB\xBF<t>\xC3\xA9</t>", util::UTF8, L"<t>\u00E9</t>", util::UTF8},
        {std::string("\xFF\xFE<\0\xE9\0", 6), util::UTF16LE, L"<\u00E9", util::UTF16LE},
        {std::string("\xFE\xFF\0<\0\xE9", 6), util::UTF16BE, L"<\u00E9", util::UTF16LE},
        {std::string("\xFF\xFE\0\0<\0\0\0", 8), util::UTF32LE, L"<", util::UTF16LE},
        {std::string("\0\0\xFE\xFF\0\x01\xF6\x00", 8), util::UTF32BE, L"\U0001F600", util::UTF16LE},
        {"<t>\xC3\xA9</t>", util::Ansi, L"<t>\u00E9</t>", util::Ansi},   // valid UTF-8
        {"<t>\xE9</t>", util::Ansi, L"<t>\u00E9</t>", util::Ansi},       // Windows-1252
        {std::string("<\0t\0", 4), util::Unknown, L"<t", util::UTF16LE},  // UTF-16LE without mark
        {std::string("\0<\0t", 4), util::Ansi, L"<t", util::UTF16LE},  // UTF-16BE without mark
        {std::string("\xFF\xFE<", 3), util::UTF16LE, L"", util::UTF16LE},  // odd byte dropped
        {"\xEF\xBB\xBF", util::UTF8, L"", util::UTF8},
        {"\xFF", util::UTF32LE, L"", util::UTF16LE},  // a mark longer than the file is no overrun
    };
    for (const DecodeCase& c : cases) {
        std::wstring text;
        util::Encoding saveAs = TextCodec::Decode(c.bytes.data(), c.bytes.size(), c.detected, text);
        EXPECT_EQ(c.text, text) << "detected " << c.detected;
        EXPECT_EQ(c.saveAs, saveAs) << "detected " << c.detected;
    }
}

TEST(TextCodecEncode, UnitOrderFollowsTheEncoding) {
    EXPECT_EQ(std::string("A\0", 2), TextCodec::Encode(L"A", 1, util::UTF16LE));
    EXPECT_EQ(std::string("\0A", 2), TextCodec::Encode(L"A", 1, util::UTF16BE));
    EXPECT_EQ(std::string("A\0", 2), TextCodec::Encode(L"A", 1, util::Unknown));
    EXPECT_EQ(std::string("\0\0\0A", 4), TextCodec::Encode(L"A", 1, util::UTF32BE));
    EXPECT_EQ(std::string("\xC3\xA9"), TextCodec::Encode(L"\u00E9", 1, util::Ansi));
    EXPECT_EQ(std::string("\x3D\xD8\x00\xDE", 4), TextCodec::Encode(L"\U0001F600", sizeof(wchar_t) == 2 ? 2 : 1,
                                                                      util::UTF16LE));
}

}  // namespace
