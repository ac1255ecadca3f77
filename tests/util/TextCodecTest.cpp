#include "util/TextCodec.h"

#include <gtest/gtest.h>

#include <string>

using util::TextCodec;

namespace {

util::Encoding ClassifyBytes(const std::string& bytes) {
    return TextCodec::Classify(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

TEST(TextCodecClassify, RecognisesEveryMark) {
    EXPECT_EQ(util::UTF8, ClassifyBytes("\xEF\xBB\xBF<a/>"));
    EXPECT_EQ(util::UTF16BE, ClassifyBytes(std::string("\xFE\xFF\0<", 4)));
    EXPECT_EQ(util::UTF16LE, ClassifyBytes(std::string("\xFF\xFE<\0", 4)));
    EXPECT_EQ(util::UTF16LE, ClassifyBytes("\xFF\xFE"));  // the extra look finds nothing
    EXPECT_EQ(util::UTF16LE, ClassifyBytes(std::string("\xFF\xFE\0", 3)));
    EXPECT_EQ(util::UTF32LE, ClassifyBytes(std::string("\xFF\xFE\0\0", 4)));
    EXPECT_EQ(util::UTF32BE, ClassifyBytes(std::string("\0\0\xFE\xFF", 4)));
}

TEST(TextCodecClassify, TextWithoutMark) {
    EXPECT_EQ(util::Ansi, ClassifyBytes("<?xml"));
    EXPECT_EQ(util::Ansi, ClassifyBytes("<\r"));
    EXPECT_EQ(util::Ansi, ClassifyBytes("\n\x01"));
    EXPECT_EQ(util::Ansi, ClassifyBytes("\xE9x"));  // a printable second byte is enough
    EXPECT_EQ(util::Unknown, ClassifyBytes(std::string("<\0", 2)));  // UTF-16LE without mark
    EXPECT_EQ(util::Unknown, ClassifyBytes(std::string("\0\0\0<", 4)));
    EXPECT_EQ(util::Unknown, ClassifyBytes(std::string("\0\0\xFE", 3)));
    EXPECT_EQ(util::Unknown, ClassifyBytes("\xEF\xBB"));  // a cut UTF-8 mark
    EXPECT_EQ(util::Unknown, ClassifyBytes("\xC3\xA9"));
}

TEST(TextCodecClassify, SingleByteIsTextWhenPrintable) {
    EXPECT_EQ(util::Ansi, ClassifyBytes("<"));
    EXPECT_EQ(util::Ansi, ClassifyBytes("\n"));
    EXPECT_EQ(util::Unknown, ClassifyBytes(std::string("\0", 1)));
    EXPECT_EQ(util::Unknown, ClassifyBytes("\xFF"));
    EXPECT_EQ(util::Unknown, ClassifyBytes(""));
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
    };
    for (const DecodeCase& c : cases) {
        std::wstring text;
        util::Encoding saveAs = TextCodec::Decode(c.bytes.data(), c.bytes.size(), c.detected, text);
        EXPECT_EQ(c.text, text) << "detected " << c.detected;
        EXPECT_EQ(c.saveAs, saveAs) << "detected " << c.detected;
    }
}

TEST(TextCodecDecode, AMarkLongerThanTheFileIsNoOverrun) {
    std::wstring text = L"x";
    EXPECT_EQ(util::UTF16LE, TextCodec::Decode("\xFF", 1, util::UTF32LE, text));
    EXPECT_EQ(L"", text);
}

// What the program saves must read back unchanged, in every encoding it saves in.
TEST(TextCodecRoundTrip, NonAsciiTitlesSurviveEveryEncoding) {
    const std::wstring title = L"Gr\u00FC\u00DFe \u65E5\u672C \U0001F600 caf\u00E9";
    const util::Encoding encodings[] = {util::Ansi, util::UTF8, util::UTF16LE, util::UTF16BE, util::UTF32LE,
                                        util::UTF32BE};
    for (util::Encoding encoding : encodings) {
        std::string bytes = TextCodec::Mark(encoding) + TextCodec::Encode(title.data(), title.size(), encoding);
        util::Encoding detected =
            TextCodec::Classify(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        std::wstring text;
        TextCodec::Decode(bytes.data(), bytes.size(), detected, text);
        EXPECT_EQ(title, text) << "encoding " << encoding;
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
