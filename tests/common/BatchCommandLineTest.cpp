#include "common/BatchCommandLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(BatchCommandLine, OperatorsOutsideQuotesGetACaretAndQuotedTextAndVariablesStayAsWritten) {
    struct Case {
        const wchar_t* arguments;
        const wchar_t* escaped;
    } const cases[] = {
        {L"x&echo INJECTED", L"x^&echo INJECTED"}, {L"a|b <in >out ^c (d)", L"a^|b ^<in ^>out ^^c ^(d^)"},
        {L"\"a&b|c\" d&e", L"\"a&b|c\" d^&e"},     {L"\"one\"&\"two\"", L"\"one\"^&\"two\""},
        {L"%PATH% !x! 100%", L"%PATH% !x! 100%"},  {L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.escaped, BatchCommandLine::Escape(c.arguments)) << c.arguments;
    }
}

TEST(BatchCommandLine, TheBatchFileIsQuotedInsideTheOuterQuotesThatSlashSTakesOff) {
    EXPECT_EQ(L"cmd.exe /D /V:OFF /E:ON /S /C \"\"C:\\run it (x86)\\go.bat\"\"",
              BatchCommandLine(L"C:\\run it (x86)\\go.bat", L"").Text());
    BatchCommandLine line(L"C:\\b.cmd", L"-x \"a b\" y>z");
    EXPECT_EQ(L"cmd.exe /D /V:OFF /E:ON /S /C \"\"C:\\b.cmd\" -x \"a b\" y^>z\"", line.Text());
    EXPECT_EQ(L"", line.Problem());
}

TEST(BatchCommandLine, AnOddNumberOfQuotesOrALineLongerThanCmdTakesIsAProblem) {
    std::wstring odd = BatchCommandLine(L"C:\\b.bat", L"\"a b\" \"c&d").Problem();
    EXPECT_NE(std::wstring::npos, odd.find(L"odd number of quotes (3)")) << odd;

    // The line around the arguments: cmd.exe's switches, the quoted path and the outer quotes.
    const std::wstring path = L"C:\\b.bat";
    const size_t frame = BatchCommandLine(path, L"").Text().size() + 1;  // and the blank before them
    std::wstring longest(BatchCommandLine::MaxLength - frame, L'a');
    EXPECT_EQ(BatchCommandLine::MaxLength, BatchCommandLine(path, longest).Text().size());
    EXPECT_EQ(L"", BatchCommandLine(path, longest).Problem());
    // One more character, or one caret more, is too long.
    std::wstring over = BatchCommandLine(path, longest + L"a").Problem();
    EXPECT_NE(std::wstring::npos, over.find(L"8192 characters long; cmd.exe takes at most 8191")) << over;
    longest.back() = L'&';
    EXPECT_NE(L"", BatchCommandLine(path, longest).Problem());
}

}  // namespace
