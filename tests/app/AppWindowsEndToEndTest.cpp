// The built program driven from outside, as a user would drive it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/ScratchDirectory.h"
#include "support/TarnwickSession.h"
#include "support/TestPaths.h"

namespace {

using testsupport::HelperPath;
using testsupport::ScratchDirectory;
using testsupport::TarnwickSession;

std::string Utf8(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes += static_cast<char>(c);
    }
    return bytes;
}

std::string Entry(const std::string& title, const std::string& arguments, const std::string& extra = "") {
    return "<process><title>" + title + "</title><executable>" + Utf8(HelperPath(L"ProcessProbe.exe")) +
           "</executable><commandLineArguments>" + arguments + "</commandLineArguments>" + extra + "</process>";
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

TEST(AppWindowsEndToEnd, ShowsLiveOutput) {
    ScratchDirectory dir;
    std::wstring config = dir.Write(L"a.tnkx", "<processes>" + Entry("Ticker", "ticks 100 100") +
                                                   Entry("Quick", "print hello exit 3") + "</processes>");
    TarnwickSession session(Quoted(config));
    ASSERT_NE(session.Frame(), nullptr);
    EXPECT_TRUE(session.WaitForOutput(L"Ticker", L"tick 5"));
    EXPECT_TRUE(session.WaitForOutput(L"Quick", L"hello"));
    Sleep(1000);
    printf("%ls\n----\n%ls\n", session.ViewText(L"Ticker").c_str(), session.ViewText(L"Quick").c_str());
    printf("status: %ls\n", TarnwickSession::Text(session.StatusBar()).c_str());
}

}  // namespace
