// Start-up tested for real: the probe programs are started with different program paths and
// working directories, as a user or a script would start the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/ChildRun.h"
#include "support/MessageBoxWatcher.h"
#include "support/ScratchDirectory.h"
#include "support/TestPaths.h"

namespace {

using testsupport::ChildRun;
using testsupport::HelperPath;
using testsupport::ScratchDirectory;

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::string Field(const std::string& output, const std::string& key) {
    size_t at = output.find(key + "=");
    if (at == std::string::npos) {
        return "<missing>";
    }
    size_t start = at + key.size() + 1;
    size_t end = output.find_first_of("\r\n", start);
    return output.substr(start, end - start);
}

// Copies the probe into the scratch folder under the given relative path.
std::wstring PlaceProbe(const ScratchDirectory& dir, const std::wstring& relative) {
    std::wstring target = dir.File(relative);
    size_t slash = target.find_last_of(L'\\');
    CreateDirectoryW(target.substr(0, slash).c_str(), nullptr);
    EXPECT_TRUE(CopyFileW(HelperPath(L"AppProbe.exe").c_str(), target.c_str(), FALSE));
    return target;
}

TEST(StartUp, BareProgramNameIsJoinedToTheWorkingDirectory) {
    ScratchDirectory dir;
    std::wstring program = PlaceProbe(dir, L"Probe.exe");
    ChildRun run(L"Probe.exe one", dir.Path(), program);
    ASSERT_TRUE(run.Wait());
    EXPECT_EQ(0u, run.ExitCode());
    EXPECT_EQ(Utf8(dir.Path() + L"\\"), Field(run.Output(), "startDirectory"));
    EXPECT_EQ(Utf8(dir.Path() + L"\\\\Probe.exe"), Field(run.Output(), "executablePath"));
    EXPECT_EQ("Probe", Field(run.Output(), "name"));
    EXPECT_EQ("Probe", Field(run.Output(), "moduleName"));
    EXPECT_EQ("2", Field(run.Output(), "argc"));
}

TEST(StartUp, RelativeProgramPathBecomesAbsoluteWithEitherSeparator) {
    ScratchDirectory dir;
    std::wstring program = PlaceProbe(dir, L"tools\\Probe.exe");
    for (const wchar_t* invoked : {L"tools\\Probe.exe", L"tools/Probe.exe"}) {
        ChildRun run(invoked, dir.Path(), program);
        ASSERT_TRUE(run.Wait());
        EXPECT_EQ(Utf8(dir.Path() + L"\\tools\\Probe.exe"), Field(run.Output(), "executablePath")) << invoked;
        EXPECT_EQ("Probe", Field(run.Output(), "name")) << invoked;
    }
}

TEST(StartUp, DottedNamesAndDirectories) {
    ScratchDirectory dir;
    std::wstring several = PlaceProbe(dir, L"a.b.exe");
    ChildRun first(L"\"" + several + L"\"", dir.Path(), several);
    ASSERT_TRUE(first.Wait());
    EXPECT_EQ("a.b", Field(first.Output(), "name"));
    EXPECT_EQ(Utf8(several), Field(first.Output(), "executablePath"));

    std::wstring dotted = PlaceProbe(dir, L"x.y\\prog.exe");
    ChildRun second(L"\"" + dotted + L"\"", dir.Path(), dotted);
    ASSERT_TRUE(second.Wait());
    EXPECT_EQ("prog", Field(second.Output(), "name"));
}

TEST(StartUp, ExitCodeOfRunIsTheProcessExitCode) {
    ChildRun run(L"\"" + HelperPath(L"AppProbe.exe") + L"\" --exit 7");
    ASSERT_TRUE(run.Wait());
    EXPECT_EQ(7u, run.ExitCode());
}

// Starts a probe that must show one box and end with -1; checks the box's title and text.
void ExpectBoxThenMinusOne(const std::wstring& commandLine, const std::wstring& title, const std::wstring& text) {
    ChildRun run(commandLine);
    ASSERT_TRUE(run.Started());
    testsupport::MessageBoxWatcher watcher(run.ProcessId());
    testsupport::MessageBoxInfo box = watcher.Wait();
    ASSERT_TRUE(run.Wait());
    ASSERT_TRUE(box.found);
    EXPECT_EQ(title, box.title);
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(static_cast<DWORD>(-1), run.ExitCode());
}

TEST(StartUp, EscapedExceptionShowsItsBoxThenExitsWithMinusOne) {
    ExpectBoxThenMinusOne(L"\"" + HelperPath(L"AppProbe.exe") + L"\" --throw", L"Exception thrown",
                          L"ProbeApp::Run()\nAsked to fail.");
}

TEST(StartUp, OtherExceptionsAreReportedToo) {
    ExpectBoxThenMinusOne(L"\"" + HelperPath(L"AppProbe.exe") + L"\" --throw-std", L"Exception thrown",
                          L"An unexpected error happened.\nstandard failure");
}

TEST(StartUp, NoApplicationObjectGivesTheErrorBox) {
    ExpectBoxThenMinusOne(L"\"" + HelperPath(L"NoAppProbe.exe") + L"\"", L"ERROR", L"No WindowsApplication declared");
}

}  // namespace
