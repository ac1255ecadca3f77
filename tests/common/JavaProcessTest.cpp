#include "common/JavaProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/Recorders.h"
#include "support/MessageBoxWatcher.h"
#include "support/ScratchDirectory.h"
#include "support/TestApplication.h"
#include "support/TestPaths.h"

namespace {

using testsupport::Footer;

const wchar_t RuntimeKey[] = L"SOFTWARE\\JavaSoft\\Java Runtime Environment";
const wchar_t SystemEnvironment[] = L"SYSTEM\\ControlSet001\\Control\\Session Manager\\Environment";

std::wstring FakeJavaHome() {
    return testsupport::ExecutableDirectory() + L"\\fakejre";
}

// Each test starts with no JAVA_HOME and no runtime in the registry, and leaves none behind.
class JavaProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The runtime keys are shared by every test program of the prefix; tests run in parallel.
        registryLock = CreateMutexW(nullptr, FALSE, L"TarnwickJavaRuntimeRegistryTests");
        WaitForSingleObject(registryLock, 60000);
        SetEnvironmentVariableW(L"JAVA_HOME", nullptr);  // no other test of this program needs it
        application.executablePath = scratch.File(L"Tarnwick.exe").c_str();
        application.startDirectory = (scratch.Path() + L"\\").c_str();
    }
    void TearDown() override {
        for (const auto& key : createdKeys) {
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.first.c_str(), key.second, 0);
        }
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, RuntimeKey, view, 0);  // only when empty
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\JavaSoft", view, 0);
        }
        if (systemValueSet) {
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SystemEnvironment, L"JAVA_HOME");
        }
        SetEnvironmentVariableW(L"JAVA_HOME", nullptr);
        ReleaseMutex(registryLock);
        CloseHandle(registryLock);
    }

    static void WriteValue(const std::wstring& key,
                           const wchar_t* name,
                           const std::wstring& text,
                           REGSAM view,
                           DWORD type = REG_SZ) {
        HKEY handle = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                                 nullptr, &handle, nullptr));
        RegSetValueExW(handle, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
    }
    void SetRuntime(const wchar_t* version, REGSAM view, const std::wstring& home, DWORD type = REG_SZ) {
        std::wstring key = std::wstring(RuntimeKey) + L"\\" + version;
        WriteValue(key, L"JavaHome", home, view, type);
        createdKeys.push_back({key, view});
    }
    // The runtime directory a fresh JavaProcess finds, or "<none>".
    static std::wstring FoundHome() {
        java::JavaProcess process;
        return process.FindJavaHome() ? process.GetJavaHome().GetBuffer() : L"<none>";
    }

    // Runs the process (once more) and returns the fake java's report lines of that run ("cmdline=...",
    // "CLASSPATH=...", "first=...", "cwd=..."), the lines between "cmdline=" and the footer.
    std::vector<std::wstring> RunJava(java::JavaProcess& process) {
        logger.Clear();
        process.SetLogger(&logger);
        process.Start();
        EXPECT_TRUE(logger.WaitForCall(Footer()));
        std::wstring text = logger.Text();
        std::vector<std::wstring> lines;
        size_t at = text.find(L"cmdline="), end = 0;
        while (at < text.rfind(Footer()) && (end = text.find(L"\r\n", at)) != std::wstring::npos) {
            lines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    }

    testsupport::ScratchDirectory scratch;
    testsupport::TestApplication application;
    testsupport::RecordingLogger logger;
    std::vector<std::pair<std::wstring, REGSAM>> createdKeys;
    bool systemValueSet = false;
    HANDLE registryLock = nullptr;
};

TEST_F(JavaProcessTest, CommandLineAndClasspathReachTheRuntime) {
    SetEnvironmentVariableW(L"JAVA_HOME", FakeJavaHome().c_str());
    SetEnvironmentVariableW(L"CLASSPATH", L"C:\\ours.jar");
    scratch.Write(L"found.jar", "PK");  // a configured class path is never scanned
    java::JavaProcess process;
    process.SetClasspath(L"C:\\lib\\x.jar;.\\y.jar");
    process.SetStartupClass(L"com.example.Main");
    process.SetJavaOptions(L"-Xmx64m -Dk=v");
    process.SetArguments(L"one two");
    std::vector<std::wstring> report = RunJava(process);
    SetEnvironmentVariableW(L"CLASSPATH", nullptr);
    ASSERT_EQ(4u, report.size()) << logger.Text();
    EXPECT_EQ(L"cmdline=" + FakeJavaHome() + L"\\bin\\java.exe -Xmx64m -Dk=v com.example.Main one two", report[0]);
    EXPECT_EQ(L"CLASSPATH=C:\\lib\\x.jar;.\\y.jar", report[1]);
    EXPECT_EQ(L"first=CLASSPATH=C:\\lib\\x.jar;.\\y.jar", report[2]);  // first entry of the environment
    EXPECT_EQ(L"cwd=" + scratch.Path(), report[3]);  // no working directory: the program's start directory
    EXPECT_EQ(std::wstring::npos, logger.Text().find(L"ours.jar"));
}

// Each source added outranks those added before it.
// The default "C:\\Program Files\\Java\\...", as the registry gives it: with a variable to expand.
TEST_F(JavaProcessTest, ARuntimeUnderAFolderWithBlankAndParenthesesRunsTheClass) {
    std::wstring root = scratch.Path() + L"\\Program Files (x86)";
    std::wstring bin = root + L"\\Java\\jre\\bin";
    for (const std::wstring& folder : {root, root + L"\\Java", root + L"\\Java\\jre", bin}) {
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    }
    ASSERT_TRUE(CopyFileW((FakeJavaHome() + L"\\bin\\java.exe").c_str(), (bin + L"\\java.exe").c_str(), FALSE));
    SetEnvironmentVariableW(L"TNK_JAVA_ROOT", root.c_str());
    SetRuntime(L"1.7", 0, L"%TNK_JAVA_ROOT%\\Java\\jre", REG_EXPAND_SZ);
    java::JavaProcess process;
    process.SetStartupClass(L"com.example.Main");
    std::vector<std::wstring> report = RunJava(process);
    SetEnvironmentVariableW(L"TNK_JAVA_ROOT", nullptr);
    ASSERT_FALSE(report.empty()) << logger.Text();
    EXPECT_EQ(L"cmdline=\"" + bin + L"\\java.exe\" com.example.Main", report[0]);
}

TEST_F(JavaProcessTest, JavaHomeComesFromEnvironmentThen64BitViewThenDefaultViewThenSystemEnvironment) {
    WriteValue(SystemEnvironment, L"JAVA_HOME", L"C:\\system", KEY_WOW64_64KEY);
    systemValueSet = true;
    EXPECT_EQ(L"C:\\system", FoundHome());
    SetRuntime(L"1.5", KEY_WOW64_32KEY, L"C:\\default15");
    SetRuntime(L"1.6", KEY_WOW64_32KEY, L"C:\\default16");
    EXPECT_EQ(L"C:\\default16", FoundHome());
    SetRuntime(L"1.5", KEY_WOW64_64KEY, L"C:\\native15");
    EXPECT_EQ(L"C:\\native15", FoundHome());
    SetEnvironmentVariableW(L"JAVA_HOME", FakeJavaHome().c_str());
    java::JavaProcess process;
    ASSERT_TRUE(process.FindJavaHome());
    // Once found it stays, whatever the environment says later.
    SetEnvironmentVariableW(L"JAVA_HOME", nullptr);
    ASSERT_TRUE(process.FindJavaHome());
    EXPECT_EQ(FakeJavaHome(), process.GetJavaHome().GetBuffer());
}

// No box: the output says why, after the debug block and footer.
TEST_F(JavaProcessTest, NoRuntimeIsAFailedLaunchTheOutputExplains) {
    java::JavaProcess process;
    process.SetStartupClass(L"Main");
    process.SetLogger(&logger);
    process.Start();
    ASSERT_TRUE(process.WaitForEnd(10000));
    std::vector<std::wstring> calls = logger.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(Footer(), calls[calls.size() - 2]);
    EXPECT_EQ(L"failed to start: JavaProcess: Couldn't find any compatible JVM in the registry\r\n", calls.back());
    EXPECT_EQ(nullptr, testsupport::MessageBoxWatcher::FindBox(GetCurrentProcessId()));
}

TEST_F(JavaProcessTest, ClasspathIsBuiltFromThePlainJarsAndZipsBelowTheProgram) {
    const std::string bytes = "PK";
    scratch.Write(L"a.jar", bytes);
    scratch.Write(L"A.JAR", bytes);
    scratch.Write(L"notes.txt", bytes);
    SetFileAttributesW(scratch.Write(L"ro.jar", bytes).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    CreateDirectoryW(scratch.File(L"lib").c_str(), nullptr);
    CreateDirectoryW(scratch.File(L"lib\\deeper").c_str(), nullptr);
    scratch.Write(L"lib\\b.zip", bytes);
    scratch.Write(L"lib\\deeper\\c.jar", bytes);
    // A folder with more than the directory and archive attributes is not entered. Wine keeps
    // a folder's hidden attribute only through a leading dot, and no read-only one at all.
    CreateDirectoryW(scratch.File(L".hid").c_str(), nullptr);
    scratch.Write(L".hid\\skipped.jar", bytes);
    SetFileAttributesW(scratch.File(L".hid").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_TRUE(GetFileAttributesW(scratch.File(L".hid").c_str()) & FILE_ATTRIBUTE_HIDDEN);

    java::JavaProcess process;
    process.BuildClasspath();

    // In the order the system lists each folder, which the test does not fix; each entry once.
    std::wstring classpath = process.GetClasspath().GetBuffer();
    for (const wchar_t* entry : {L".\\a.jar", L".\\ro.jar", L".\\lib\\b.zip", L".\\lib\\deeper\\c.jar"}) {
        EXPECT_NE(std::wstring::npos, (L";" + classpath + L";").find(L";" + std::wstring(entry) + L";")) << classpath;
    }
    EXPECT_EQ(3, std::count(classpath.begin(), classpath.end(), L';')) << classpath;
    SetFileAttributesW(scratch.File(L"ro.jar").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The working directory is resolved once against ours and is the child's alone; the class path
// built by the first run is reused, not scanned again.
TEST_F(JavaProcessTest, TheWorkingDirectoryIsTheChildsAloneAndResolvedOnceAndABuiltClasspathIsKept) {
    SetEnvironmentVariableW(L"JAVA_HOME", FakeJavaHome().c_str());
    scratch.Write(L"found.jar", "PK");
    testsupport::ScratchDirectory base;
    CreateDirectoryW(base.File(L"sub").c_str(), nullptr);
    CreateDirectoryW(base.File(L"sub\\sub").c_str(), nullptr);  // where a double resolution would land
    wchar_t ours[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, ours);
    SetCurrentDirectoryW(base.Path().c_str());
    java::JavaProcess process;
    process.SetStartupClass(L"Main");
    process.SetWorkingDirectory(L"sub");
    for (int run = 1; run <= 2; ++run) {
        std::vector<std::wstring> report = RunJava(process);
        ASSERT_EQ(4u, report.size()) << logger.Text();
        EXPECT_EQ(L"CLASSPATH=.\\found.jar", report[1]) << "run " << run;
        EXPECT_EQ(L"cwd=" + base.File(L"sub"), report[3]);
        scratch.Write(L"later.jar", "PK");
    }
    wchar_t after[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, after);
    SetCurrentDirectoryW(ours);
    EXPECT_EQ(base.Path(), std::wstring(after));  // not moved by the class path scan nor the child
}

}  // namespace
