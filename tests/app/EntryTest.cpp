// Start-up tested for real: the probe programs are started with different program paths and
// working directories, as a user or a script would start the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/ChildRun.h"
#include "support/MessageBoxWatcher.h"
#include "support/ScratchDirectory.h"
#include "support/TestPaths.h"
#include "util/Platform.h"

namespace {

using testsupport::ChildRun;
using testsupport::HelperPath;
using testsupport::ScratchDirectory;

std::string Utf8(const std::wstring& text) {
    return platform::WideToUtf8(text.data(), text.size());
}

std::string Field(const std::string& output, const std::string& key) {
    size_t at = output.find(key + "=");
    if (at == std::string::npos) {
        return "<missing>";
    }
    size_t start = at + key.size() + 1;
    return output.substr(start, output.find_first_of("\r\n", start) - start);
}

// Started by a bare name from another folder, as when it is found on PATH: the program's path is
// its own file, and the default configuration follows it. What Run returns is the exit code.
TEST(StartUp, TheProgramsPathIsItsOwnFileWhateverTheCommandLineAndWorkingDirectory) {
    ScratchDirectory dir;
    ScratchDirectory elsewhere;
    std::wstring program = dir.File(L"Probe.exe");
    ASSERT_TRUE(CopyFileW(HelperPath(L"AppProbe.exe").c_str(), program.c_str(), FALSE));
    ChildRun run(L"Probe.exe --exit 7", elsewhere.Path(), program);
    ASSERT_TRUE(run.Wait());
    EXPECT_EQ(7u, run.ExitCode());
    EXPECT_EQ(Utf8(elsewhere.Path() + L"\\"), Field(run.Output(), "startDirectory"));
    EXPECT_EQ(Utf8(program), Field(run.Output(), "executablePath"));
    EXPECT_EQ(Utf8(dir.File(L"Probe.xml")), Field(run.Output(), "defaultConfiguration"));
    EXPECT_EQ("Probe", Field(run.Output(), "name"));
    EXPECT_EQ("Probe", Field(run.Output(), "moduleName"));
    EXPECT_EQ("3", Field(run.Output(), "argc"));
    // Set by the entry routine before the application runs, for its children to inherit.
    EXPECT_EQ(std::to_string(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX), Field(run.Output(), "errorMode"));
}

// Each probe must show one box and end with -1.
TEST(StartUp, FailuresShowTheirBoxThenExitWithMinusOne) {
    struct Case {
        const wchar_t* probe;
        const wchar_t* argument;
        const wchar_t* title;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"AppProbe.exe", L" --throw", L"Exception thrown", L"ProbeApp::Run()\nAsked to fail."},
        {L"AppProbe.exe", L" --throw-std", L"Exception thrown", L"An unexpected error happened.\nstandard failure"},
        {L"NoAppProbe.exe", L"", L"ERROR", L"No WindowsApplication declared"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.probe) + c.argument);
        ChildRun run(L"\"" + HelperPath(c.probe) + L"\"" + c.argument);
        ASSERT_TRUE(run.Started());
        testsupport::MessageBoxInfo box = testsupport::MessageBoxWatcher(run.ProcessId()).Wait();
        ASSERT_TRUE(run.Wait());
        ASSERT_TRUE(box.found);
        EXPECT_EQ(c.title, box.title);
        EXPECT_EQ(c.text, box.text);
        EXPECT_EQ(static_cast<DWORD>(-1), run.ExitCode());
    }
}

}  // namespace
