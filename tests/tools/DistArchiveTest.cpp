// The release archive as a user gets it, unpacked by dist-archive-test.sh: both programs carry the
// version the archive is named by, and the 64-bit one runs the demo from the unpacked folder.
// The script passes the folder (TARNWICK_UNPACKED, a Windows path) and the version of the
// archive's name (TARNWICK_DIST_VERSION) in the environment.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/MessageBoxWatcher.h"
#include "support/TarnwickSession.h"
#include "win32/VersionString.h"

namespace {

using testsupport::MessageBoxWatcher;
using testsupport::TarnwickSession;

std::wstring Setting(const wchar_t* name) {
    wchar_t value[1024];
    DWORD length = GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
    return length > 0 && length < ARRAYSIZE(value) ? std::wstring(value, length) : std::wstring();
}

std::wstring Lower(std::wstring text) {
    if (!text.empty()) {
        CharLowerW(&text[0]);
    }
    return text;
}

// The product version of the fixed file information, "a.b.c.d"; empty when there is none.
std::wstring FixedProductVersion(const std::wstring& program) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    std::vector<BYTE> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoW(program.c_str(), 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) {
        return std::wstring();
    }
    const DWORD parts[4] = {HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                            HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS)};
    std::wstring text;
    for (DWORD part : parts) {
        text += (text.empty() ? L"" : L".") + std::to_wstring(part);
    }
    return text;
}

// One string of the program file's version resource, read as Help > About reads its own.
std::wstring ResourceString(const std::wstring& program, const wchar_t* key) {
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        return L"(cannot load " + program + L")";
    }
    String value = GetVersionString(key, module, 1);
    FreeLibrary(module);
    return value.IsNull() ? std::wstring() : std::wstring(value.GetBuffer());
}

class DistArchive : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.empty()) << "TARNWICK_UNPACKED is not set: run through dist-archive-test.sh";
        ASSERT_FALSE(version.empty()) << "TARNWICK_DIST_VERSION is not set";
    }
    const std::wstring folder = Setting(L"TARNWICK_UNPACKED");
    const std::wstring version = Setting(L"TARNWICK_DIST_VERSION");
};

TEST_F(DistArchive, BothProgramsCarryTheVersionOfTheArchivesName) {
    for (const wchar_t* arch : {L"x64", L"x86"}) {
        std::wstring program = folder + L"\\" + arch + L"\\Tarnwick.exe";
        EXPECT_EQ(version + L".0", FixedProductVersion(program)) << arch;
        EXPECT_EQ(version, ResourceString(program, L"ProductVersion")) << arch;
        EXPECT_EQ(version, ResourceString(program, L"FileVersion")) << arch;
        EXPECT_EQ(L"Tarnwick", ResourceString(program, L"ProductName")) << arch;
    }
}

TEST_F(DistArchive, DemoRunsItsTickerFromTheUnpackedFolder) {
    TarnwickSession session(folder + L"\\x64\\Tarnwick.exe", L"\"" + folder + L"\\demo\\demo.tnkx\"", 60000);
    ASSERT_NE(nullptr, session.Frame()) << "no frame from the unpacked program";
    // Two ticks: the ticker was found, started and keeps writing.
    EXPECT_TRUE(session.WaitForOutput(L"Ticker", L" tick 2", 30000)) << session.ViewText(L"Ticker");
    // The ticker that runs is the one beside the unpacked program, named in the run's debug block.
    std::wstring ticker = Lower(folder + L"\\x64\\DemoTicker.exe");
    EXPECT_NE(std::wstring::npos, Lower(session.ViewText(L"Ticker")).find(ticker)) << session.ViewText(L"Ticker");
    EXPECT_TRUE(session.WaitForOutput(L"Failing build", L"error: something went wrong", 30000))
        << session.ViewText(L"Failing build");
    EXPECT_NE(nullptr, session.Child(L"System folder (start by hand)"));

    // The ticker still runs, so closing asks first; Ok ends the program and its runs.
    MessageBoxWatcher box(session.ProcessId(), IDOK);
    PostMessageW(session.Frame(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(box.Wait().found);
    EXPECT_EQ(0u, session.WaitForExit(30000));
}

}  // namespace
