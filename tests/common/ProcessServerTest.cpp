#include "common/Process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "common/ChildEnvironment.h"
#include "common/Recorders.h"
#include "common/Win32FileWriter.h"
#include "support/ScratchDirectory.h"
#include "support/TestApplication.h"
#include "support/TestPaths.h"

namespace {

using testsupport::Footer;
using testsupport::RecordingLogger;
using testsupport::ScratchDirectory;

// What the probe's "envhex" prints for a value.
std::wstring Hex(const std::wstring& name, const std::wstring& value) {
    std::wstring line = name + L"=";
    if (value.empty()) {
        return line + L"<empty>";
    }
    for (size_t i = 0; i < value.size(); ++i) {
        wchar_t unit[8];
        std::swprintf(unit, 8, L"%s%04X", i ? L" " : L"", static_cast<unsigned>(value[i]));
        line += unit;
    }
    return line;
}

class ProcessServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        process.SetLogger(&logger);
        process.SetExecutable(testsupport::HelperPath(L"ProcessProbe.exe").c_str());
        SetEnvironmentVariableW(L"TNK_BASE", L"base");
        SetEnvironmentVariableW(L"TNK_GONE", L"here");
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TNK_BASE", nullptr);
        SetEnvironmentVariableW(L"TNK_GONE", nullptr);
    }
    // Runs the probe and waits for the end of the run: its exit line, or the line that says
    // it was not started.
    std::wstring Run(const wchar_t* arguments) {
        process.SetArguments(arguments);
        process.Start();
        EXPECT_TRUE(testsupport::WaitUntil([&] {
            std::wstring text = logger.Text();
            return text.find(L"Exit code ") != std::wstring::npos ||
                   text.find(L"failed to start: ") != std::wstring::npos;
        }));
        EXPECT_TRUE(testsupport::WaitUntil([&] { return !process.IsRunning(); }));
        return logger.Text();
    }

    testsupport::TestApplication application;
    RecordingLogger logger;
    Process process;
    ScratchDirectory scratch;
};

TEST_F(ProcessServerTest, FileThenVariablesInOrderReachTheChildAndSecretsAreMaskedInTheDebugBlock) {
    std::wstring file = scratch.Write(L"app.env",
                                      "\xEF\xBB\xBF# for the probe\r\n"
                                      "TNK_FILE=%TNK_BASE%-file\r\n"
                                      "TNK_QUOTED=\"%TNK_BASE%\"\r\n"
                                      "TNK_LATER=from file\r\n");
    EnvironmentSettings settings;
    settings.fileSet = true;
    settings.file = file;
    settings.changes = {{L"tnk_later", L"%TNK_FILE%+element", false},
                        {L"TNK_GONE", L"", true},
                        {L"TNK_EMPTY", L"", false},
                        {L"TNK_API_TOKEN", L"t0ken", false}};
    process.SetEnvironmentSettings(settings);
    std::wstring text = Run(L"envhex TNK_FILE envhex TNK_QUOTED envhex TNK_LATER envhex TNK_GONE envhex TNK_EMPTY");
    for (const std::wstring& line :
         {Hex(L"TNK_FILE", L"base-file"), Hex(L"TNK_QUOTED", L"%TNK_BASE%"), Hex(L"TNK_LATER", L"base-file+element"),
          std::wstring(L"TNK_GONE=<none>"), Hex(L"TNK_EMPTY", L"")}) {
        EXPECT_NE(std::wstring::npos, text.find(line + L"\r\n")) << line << "\n" << text.c_str();
    }
    // In the debug block: the file's values and the token hidden, the others shown.
    EXPECT_NE(std::wstring::npos, text.find(L"\r\nTNK_FILE=****\r\n"));
    EXPECT_NE(std::wstring::npos, text.find(L"\r\nTNK_LATER=****\r\n"));  // built from a file value
    EXPECT_NE(std::wstring::npos, text.find(L"\r\nTNK_API_TOKEN=****\r\n"));
    EXPECT_NE(std::wstring::npos, text.find(L"\r\nTNK_EMPTY=\r\n"));
    EXPECT_NE(std::wstring::npos, text.find(L"\r\nTNK_BASE=base\r\n"));
    EXPECT_EQ(std::wstring::npos, text.find(L"t0ken"));
}

TEST_F(ProcessServerTest, AMissingOrBrokenFileOrAnOverlongValueFailsTheStartWithOneLine) {
    const std::wstring failed = L"failed to start: " + testsupport::HelperPath(L"ProcessProbe.exe") + L": ";
    EnvironmentSettings settings;
    settings.fileSet = true;
    settings.file = scratch.File(L"missing.env");
    process.SetEnvironmentSettings(settings);
    std::wstring text = Run(L"print ran");
    EXPECT_NE(std::wstring::npos, text.find(failed + L"Environment file: cannot read " + settings.file + L": "))
        << text;
    EXPECT_EQ(std::wstring::npos, text.find(L"\r\nran\r\n"));  // never launched

    logger.Clear();
    settings.file = scratch.Write(L"bad.env", "A=1\r\nno equals here\r\n");
    process.SetEnvironmentSettings(settings);
    Run(L"print ran");
    EXPECT_EQ(failed + L"Environment file " + settings.file + L": line 2: no \"=\" in it.\r\n", logger.Calls().back());

    logger.Clear();
    settings.file = scratch.Write(L"huge.env", std::string(ChildEnvironment::MaxFileBytes, '#') + "\r\nA=1\r\n");
    process.SetEnvironmentSettings(settings);
    Run(L"print ran");
    EXPECT_EQ(
        failed + L"Environment file: cannot read " + settings.file + L": the file is larger than 1048576 bytes.\r\n",
        logger.Calls().back());

    logger.Clear();
    settings.fileSet = false;
    settings.changes = {{L"TNK_LONG", std::wstring(20000, L'x'), false}, {L"TNK_LONG", L"%TNK_LONG%%TNK_LONG%", false}};
    process.SetEnvironmentSettings(settings);
    Run(L"print ran");
    EXPECT_EQ(0u, logger.Calls().back().find(failed + L"Environment: the value of TNK_LONG has 40000 characters"));
}

TEST_F(ProcessServerTest, TheLogFileHoldsTheRunWithTimesButNotTheEnvironment) {
    std::wstring path = scratch.File(L"logs\\deep\\probe.log");  // the folders are made
    LogSettings log;
    process.SetLogFile(path, log);
    EnvironmentSettings settings;
    settings.changes = {{L"TNK_SHOWN", L"visible-in-window", false}};
    process.SetEnvironmentSettings(settings);
    std::wstring text = Run(L"print one print \u20AC");
    EXPECT_NE(std::wstring::npos, text.find(L"visible-in-window"));
    // The file is written on a thread of its own: its last line comes soon after.
    std::string file;
    EXPECT_TRUE(testsupport::WaitUntil([&] {
        file = ScratchDirectory::Read(path);
        return file.find(", ended by itself\r\n") != std::string::npos;
    })) << file;
    EXPECT_EQ(std::string::npos, file.find("visible-in-window")) << file;
    EXPECT_NE(std::string::npos, file.find(" Environment variables : (not logged)\r\n"));
    EXPECT_NE(std::string::npos, file.find(" one\r\n"));
    // Every line starts with "yyyy-mm-dd hh:mm:ss.mmm ".
    for (size_t at = 0; at < file.size(); at = file.find("\r\n", at) + 2) {
        std::string stamp = file.substr(at, 24);
        EXPECT_TRUE(stamp.size() == 24 && stamp[4] == '-' && stamp[10] == ' ' && stamp[13] == ':' && stamp[19] == '.' &&
                    stamp[23] == ' ')
            << stamp;
    }
    // A second run appends.
    size_t first = file.size();
    logger.Clear();
    Run(L"print two");
    EXPECT_TRUE(testsupport::WaitUntil([&] {
        file = ScratchDirectory::Read(path);
        return file.find(", ended by itself\r\n", first) != std::string::npos;
    }));
    EXPECT_NE(std::string::npos, file.find(" two\r\n", first));
}

// Users follow a log file while it is written, and may move or delete it meanwhile.
TEST(Win32FileWriter, TheOpenFileCanBeReadRenamedAndDeletedByOthersAndAFailureIsNamed) {
    ScratchDirectory scratch;
    const std::wstring path = scratch.File(L"new\\folder\\a.log");
    Win32FileWriter files;
    std::wstring error;
    ASSERT_TRUE(files.Open(path, error)) << error;
    ASSERT_TRUE(files.Write("abc", 3, error));
    EXPECT_EQ(3u, files.Size());
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, reader);
    CloseHandle(reader);
    const std::wstring moved = scratch.File(L"new\\folder\\a.1.log");
    EXPECT_TRUE(files.Rename(path, moved, error)) << error;
    files.Close();
    EXPECT_TRUE(files.Open(path, error));  // a new file; the size starts again
    EXPECT_EQ(0u, files.Size());
    files.Close();
    EXPECT_EQ("abc", ScratchDirectory::Read(moved));
    // A viewer that does not let it be deleted keeps the whole file: nothing is emptied first.
    HANDLE viewer = CreateFileW(moved.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    EXPECT_FALSE(files.Remove(moved, error));
    CloseHandle(viewer);
    EXPECT_EQ("abc", ScratchDirectory::Read(moved));
    EXPECT_TRUE(files.Remove(moved, error));
    EXPECT_TRUE(files.Remove(moved, error));  // already gone is fine
    EXPECT_FALSE(files.Exists(moved));
    EXPECT_FALSE(files.Open(scratch.File(L"new"), error));  // a folder
    EXPECT_FALSE(error.empty());
}

}  // namespace
