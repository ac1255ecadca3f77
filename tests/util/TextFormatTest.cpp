#include <gtest/gtest.h>

#include <utility>

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

// Each conversion gives the same text with either C runtime: %s is always wide text.
TEST(StringFormat, ConversionsGiveTheSameTextWhateverTheRuntime) {
    String null;
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"File::Write()\nFile : C:\\x.txt\nAccess denied",
         F(L"File::Write()\nFile : %s\n%s", L"C:\\x.txt", L"Access denied")},
        {L"[\u00E9\u20AC]", F(L"[%s]", L"\u00E9\u20AC")},
        {L"[]", F(L"[%s]", static_cast<const wchar_t*>(nullptr))},
        {L"Process \"\" is running ...", F(L"Process \"%s\" is running ...", null.GetBuffer())},
        {L"[ab   ] [   ab] [ab]", F(L"[%-5s] [%5s] [%.2s]", L"ab", L"ab", L"abcdef")},
        {L"[narrow]", F(L"[%hs]", "narrow")},
        {L"-42 17", F(L"%d %i", -42, 17)},
        {L"ff FF 0A 00FF", F(L"%x %X %02X %04X", 255, 255, 10, 255)},
        {L"100%", F(L"%d%%", 100)},
        {L"4294967295", F(L"%u", 0xFFFFFFFFu)},
        {L"12345678901 12345678901", F(L"%lld %I64d", 12345678901LL, 12345678901LL)},
        {L"[  7] [7  ] [  7]", F(L"[%3d] [%-3d] [%*d]", 7, 7, 3, 7)},
        {L"a=\u00E9", F(L"%c=%c", L'a', L'\u00E9')},
        {L"1.50", F(L"%.2f", 1.5)},
        {L"done", F(L"done")},
        {L"trailing ", F(L"trailing %")},
        // after an unknown conversion no argument is taken, so none is misread
        {L"1 %-3y %*d %s %d%", F(L"%d %-3y %*d %s %d%%", 1, 2, 3, L"x", 100)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.first, c.second);
    }
}

TEST(StringFormat, LongResultsAreNotCut) {
    std::wstring big(5000, L'x');
    EXPECT_EQ(big + L"!", F(L"%s!", big.c_str()));
    std::wstring shown = F(L"%0300d", 5);
    EXPECT_EQ(300u, shown.size());
    EXPECT_EQ(L'5', shown.back());
}

}  // namespace
