#include <gtest/gtest.h>

#include "util/String.h"

namespace {

std::wstring F(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    String s;
    s.FormatV(format, args);
    va_end(args);
    return s.IsNull() ? L"<null>" : s.GetBuffer();
}

TEST(StringFormat, WideStringsWhateverTheRuntime) {
    EXPECT_EQ(L"File::Write()\nFile : C:\\x.txt\nAccess denied",
              F(L"File::Write()\nFile : %s\n%s", L"C:\\x.txt", L"Access denied"));
    EXPECT_EQ(L"[\u00E9\u20AC]", F(L"[%s]", L"\u00E9\u20AC"));
    EXPECT_EQ(L"[]", F(L"[%s]", static_cast<const wchar_t*>(nullptr)));
    EXPECT_EQ(L"[ab   ]", F(L"[%-5s]", L"ab"));
    EXPECT_EQ(L"[   ab]", F(L"[%5s]", L"ab"));
    EXPECT_EQ(L"[ab]", F(L"[%.2s]", L"abcdef"));
    EXPECT_EQ(L"[narrow]", F(L"[%hs]", "narrow"));
}

TEST(StringFormat, NullStringFillsAsEmpty) {
    String null;
    EXPECT_EQ(L"Process \"\" is running ...", F(L"Process \"%s\" is running ...", null.GetBuffer()));
}

TEST(StringFormat, IntegersAndHex) {
    EXPECT_EQ(L"-42 17", F(L"%d %i", -42, 17));
    EXPECT_EQ(L"ff FF 0A 00FF", F(L"%x %X %02X %04X", 255, 255, 10, 255));
    EXPECT_EQ(L"100%", F(L"%d%%", 100));
    EXPECT_EQ(L"4294967295", F(L"%u", 0xFFFFFFFFu));
    EXPECT_EQ(L"12345678901", F(L"%lld", 12345678901LL));
    EXPECT_EQ(L"12345678901", F(L"%I64d", 12345678901LL));
    EXPECT_EQ(L"[  7]", F(L"[%3d]", 7));
    EXPECT_EQ(L"[7  ]", F(L"[%-3d]", 7));
    EXPECT_EQ(L"[  7]", F(L"[%*d]", 3, 7));
}

TEST(StringFormat, CharactersAndFloats) {
    EXPECT_EQ(L"a=\u00E9", F(L"%c=%c", L'a', L'\u00E9'));
    EXPECT_EQ(L"1.50", F(L"%.2f", 1.5));
    EXPECT_EQ(L"done", F(L"done"));
    EXPECT_EQ(L"trailing ", F(L"trailing %"));
}

TEST(StringFormat, LongResultsAreNotCut) {
    std::wstring big(5000, L'x');
    EXPECT_EQ(big + L"!", F(L"%s!", big.c_str()));
    std::wstring shown = F(L"%0300d", 5);
    EXPECT_EQ(300u, shown.size());
    EXPECT_EQ(L'5', shown.back());
}

}  // namespace
