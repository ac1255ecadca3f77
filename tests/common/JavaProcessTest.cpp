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
#include "util/Exception.h"

namespace {

using testsupport::Footer;

const wchar_t RuntimeKey[] = L"SOFTWARE\\JavaSoft\\Java Runtime Environment";
const wchar_t JdkKey[] = L"SOFTWARE\\JavaSoft\\JDK";
const wchar_t SystemEnvironment[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

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
    }
    // The program's folder and start folder, as the configuration's factory passes them.
    void Place(java::JavaProcess& process) {
        process.SetProgramFolder(scratch.Path().c_str());
        process.SetStartDirectory((scratch.Path() + L"\\").c_str());
    }
    void TearDown() override {
        for (const auto& key : createdKeys) {
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.first.c_str(), key.second, 0);
        }
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, RuntimeKey, view, 0);  // only when empty
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, JdkKey, view, 0);
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
    void SetRuntime(const wchar_t* version,
                    REGSAM view,
                    const std::wstring& home,
                    DWORD type = REG_SZ,
                    const wchar_t* base = RuntimeKey) {
        std::wstring key = std::wstring(base) + L"\\" + version;
        WriteValue(key, L"JavaHome", home, view, type);
        createdKeys.push_back({key, view});
    }
    // A runtime's folder below the scratch folder, with a java.exe in its bin folder.
    std::wstring InstallRuntime(const std::wstring& name) {
        std::wstring home = scratch.File(name);
        CreateDirectoryW(home.c_str(), nullptr);
        CreateDirectoryW((home + L"\\bin").c_str(), nullptr);
        scratch.Write(name + L"\\bin\\java.exe", "MZ");
        return home;
    }
    // The runtime directory a fresh JavaProcess finds, or "<none>".
    static std::wstring FoundHome() {
        java::JavaProcess process;
        return process.FindJavaHome() ? process.GetJavaHome().GetBuffer() : L"<none>";
    }

    // Runs the process (once more) and returns the fake java's report lines of that run ("cmdline=...",
    // "CLASSPATH=...", "first=...", "cwd=...", "missing=..."), the lines between "cmdline=" and the footer.
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
    testsupport::TestApplication application;  // the debug block's launcher name
    testsupport::RecordingLogger logger;
    std::vector<std::pair<std::wstring, REGSAM>> createdKeys;
    bool systemValueSet = false;
    HANDLE registryLock = nullptr;
};

// The environment variables of the debug block: the child's block, in its order.
std::vector<std::wstring> DebugEnvironment(const std::wstring& text) {
    std::vector<std::wstring> entries;
    const std::wstring start = L"Environment variables : \r\n\r\n";
    size_t at = text.find(start);
    if (at == std::wstring::npos) {
        return entries;
    }
    at += start.size();
    for (size_t end; (end = text.find(L"\r\n", at)) != std::wstring::npos && end > at; at = end + 2) {
        entries.push_back(text.substr(at, end - at));
    }
    return entries;
}

std::wstring UpperName(const std::wstring& entry) {
    std::wstring name = entry.substr(0, entry.find(L'=', 1));
    for (wchar_t& c : name) {
        c = static_cast<wchar_t>(towupper(c));
    }
    return name;
}

// The entries of a reported "CLASSPATH=a;b", sorted: the listing order is the system's.
std::vector<std::wstring> SortedEntries(const std::wstring& reported) {
    std::vector<std::wstring> entries;
    std::wstring rest = reported.substr(reported.find(L'=') + 1) + L";";
    for (size_t at = 0, end; (end = rest.find(L';', at)) != std::wstring::npos; at = end + 1) {
        entries.push_back(rest.substr(at, end - at));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

TEST_F(JavaProcessTest, CommandLineAndClasspathReachTheRuntimeInASortedEnvironment) {
    SetEnvironmentVariableW(L"JAVA_HOME", FakeJavaHome().c_str());
    // Ours never reaches the child, not even with an "=" in its value.
    SetEnvironmentVariableW(L"CLASSPATH", L"C:\\ours.jar;-Dx=1");
    SetEnvironmentVariableW(L"aaa_first", L"1");
    SetEnvironmentVariableW(L"zzz_last", L"2");
    scratch.Write(L"found.jar", "PK");  // a configured class path is never scanned
    java::JavaProcess process;
    Place(process);
    process.SetClasspath(L"C:\\lib\\x.jar;.\\y.jar");
    process.SetStartupClass(L"com.example.Main");
    process.SetJavaOptions(L"-Xmx64m -Dk=v");
    process.SetArguments(L"one two");
    std::vector<std::wstring> report = RunJava(process);
    for (const wchar_t* name : {L"CLASSPATH", L"aaa_first", L"zzz_last"}) {
        SetEnvironmentVariableW(name, nullptr);
    }
    ASSERT_EQ(5u, report.size()) << logger.Text();
    EXPECT_EQ(L"cmdline=" + FakeJavaHome() + L"\\bin\\java.exe -Xmx64m -Dk=v com.example.Main one two", report[0]);
    EXPECT_EQ(L"CLASSPATH=C:\\lib\\x.jar;.\\y.jar", report[1]);
    EXPECT_EQ(L"cwd=" + scratch.Path(), report[3]);  // no working directory: the program's start directory
    EXPECT_EQ(std::wstring::npos, logger.Text().find(L"ours.jar"));

    // The system wants the block sorted by name, letter case aside: CLASSPATH among the others.
    std::vector<std::wstring> entries = DebugEnvironment(logger.Text());
    ASSERT_GT(entries.size(), 3u) << logger.Text();
    EXPECT_EQ(1, std::count_if(entries.begin(), entries.end(),
                               [](const std::wstring& entry) { return UpperName(entry) == L"CLASSPATH"; }));
    EXPECT_EQ(L"AAA_FIRST", UpperName(entries.front()));
    for (size_t i = 1; i < entries.size(); ++i) {
        EXPECT_LE(UpperName(entries[i - 1]), UpperName(entries[i])) << entries[i];
    }
}

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
    Place(process);
    process.SetStartupClass(L"com.example.Main");
    std::vector<std::wstring> report = RunJava(process);
    SetEnvironmentVariableW(L"TNK_JAVA_ROOT", nullptr);
    ASSERT_FALSE(report.empty()) << logger.Text();
    EXPECT_EQ(L"cmdline=\"" + bin + L"\\java.exe\" com.example.Main", report[0]);
}

// Each source added outranks those added before it; a key whose runtime is gone is passed over.
TEST_F(JavaProcessTest, JavaHomeComesFromEnvironmentThenJdkThenRuntimeKeysThenSystemEnvironment) {
    WriteValue(SystemEnvironment, L"JAVA_HOME", InstallRuntime(L"system"), KEY_WOW64_64KEY);
    systemValueSet = true;
    EXPECT_EQ(scratch.File(L"system"), FoundHome());
    SetRuntime(L"1.4", KEY_WOW64_32KEY, InstallRuntime(L"default14"));
    SetRuntime(L"1.8", KEY_WOW64_32KEY, scratch.File(L"uninstalled"));
    EXPECT_EQ(scratch.File(L"default14"), FoundHome());
    SetRuntime(L"1.6", KEY_WOW64_64KEY, InstallRuntime(L"native16"));
    EXPECT_EQ(scratch.File(L"native16"), FoundHome());
    SetRuntime(L"17", KEY_WOW64_64KEY, InstallRuntime(L"jdk17"), REG_SZ, JdkKey);
    WriteValue(JdkKey, L"CurrentVersion", L"17", KEY_WOW64_64KEY);
    createdKeys.push_back({JdkKey, KEY_WOW64_64KEY});
    EXPECT_EQ(scratch.File(L"jdk17"), FoundHome());
    SetEnvironmentVariableW(L"JAVA_HOME", FakeJavaHome().c_str());
    java::JavaProcess process;
    ASSERT_TRUE(process.FindJavaHome());
    // Once found it stays while its java.exe is there, whatever the environment says later.
    SetEnvironmentVariableW(L"JAVA_HOME", InstallRuntime(L"later").c_str());
    ASSERT_TRUE(process.FindJavaHome());
    EXPECT_EQ(FakeJavaHome(), process.GetJavaHome().GetBuffer());
    EXPECT_EQ(FakeJavaHome() + L"\\bin\\java.exe", process.GetJavaExe().GetBuffer());

    // A runtime that went away is looked for again.
    java::JavaProcess cached;
    ASSERT_TRUE(cached.FindJavaHome());
    SetEnvironmentVariableW(L"JAVA_HOME", nullptr);
    ASSERT_TRUE(cached.FindJavaHome());
    EXPECT_EQ(scratch.File(L"later"), cached.GetJavaHome().GetBuffer());
    ASSERT_TRUE(DeleteFileW(scratch.File(L"later\\bin\\java.exe").c_str()));
    ASSERT_TRUE(cached.FindJavaHome());
    EXPECT_EQ(scratch.File(L"jdk17"), cached.GetJavaHome().GetBuffer());
}

// No box: the output says why, after the debug block and footer.
TEST_F(JavaProcessTest, NoRuntimeIsAFailedLaunchTheOutputExplains) {
    java::JavaProcess process;
    Place(process);
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
    Place(process);
    ASSERT_EQ(ClassPathScan::Outcome::Complete, process.BuildClasspath());

    // Full paths, in the order the system lists each folder, which the test does not fix; each once.
    std::wstring classpath = process.GetBuiltClasspath().GetBuffer();
    for (const wchar_t* entry : {L"a.jar", L"ro.jar", L"lib\\b.zip", L"lib\\deeper\\c.jar"}) {
        std::wstring full = scratch.File(entry);
        EXPECT_NE(std::wstring::npos, (L";" + classpath + L";").find(L";" + full + L";")) << classpath;
    }
    EXPECT_EQ(3, std::count(classpath.begin(), classpath.end(), L';')) << classpath;
    EXPECT_TRUE(process.GetClasspath().IsEmpty());  // the configured one stays as it was

    // The predicate is asked during the walk, and a stop leaves nothing built.
    for (int i = 0; i < 200; ++i) {
        scratch.Write(L"lib\\many" + std::to_wstring(i) + L".jar", bytes);
    }
    int asked = 0;
    EXPECT_EQ(ClassPathScan::Outcome::Complete, process.BuildClasspath([&asked] { return ++asked < 0; }));
    EXPECT_GE(asked, 4);
    asked = 0;
    EXPECT_EQ(ClassPathScan::Outcome::Stopped, process.BuildClasspath([&asked] { return ++asked > 2; }));
    EXPECT_EQ(3, asked);
    EXPECT_TRUE(process.GetBuiltClasspath().IsEmpty());
    SetFileAttributesW(scratch.File(L"ro.jar").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(JavaProcessTest, AClasspathPassingTheLimitOfOneVariableFailsToStart) {
    SetEnvironmentVariableW(L"JAVA_HOME", FakeJavaHome().c_str());
    // 200 entries of more than 170 characters each: past 32,767 characters.
    std::wstring name(160, L'n');
    for (int i = 0; i < 200; ++i) {
        scratch.Write(name + std::to_wstring(i) + L".jar", "PK");
    }
    java::JavaProcess process;
    Place(process);
    process.SetStartupClass(L"Main");
    for (bool configured : {false, true}) {
        std::wstring message;
        try {
            process.Launch();
        } catch (Exception* e) {
            message = e->GetMessageText().GetBuffer();
            delete e;
        }
        EXPECT_NE(std::wstring::npos, message.find(L"32,767")) << message;
        EXPECT_NE(std::wstring::npos, message.find(L"<classpath>")) << message;
        EXPECT_NE(std::wstring::npos, message.find(configured ? L"32770" : scratch.Path().c_str())) << message;
        process.SetClasspath(std::wstring(32770, L'c').c_str());
    }
}

// The working directory is resolved once against ours and is the child's alone. The class path
// is built at the first launch with full paths, which hold from the child's folder too; a later
// launch (a restart) reuses it, and one after a rescan request (a manual Start, a reload) builds
// it again.
TEST_F(JavaProcessTest, TheWorkingDirectoryIsTheChildsAloneAndTheBuiltClasspathIsKeptUntilARescan) {
    SetEnvironmentVariableW(L"JAVA_HOME", FakeJavaHome().c_str());
    scratch.Write(L"found.jar", "PK");
    testsupport::ScratchDirectory base;
    CreateDirectoryW(base.File(L"sub").c_str(), nullptr);
    CreateDirectoryW(base.File(L"sub\\sub").c_str(), nullptr);  // where a double resolution would land
    wchar_t ours[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, ours);
    SetCurrentDirectoryW(base.Path().c_str());
    java::JavaProcess process;
    Place(process);
    process.SetStartupClass(L"Main");
    process.SetWorkingDirectory(L"sub");
    const std::vector<std::wstring> first{scratch.File(L"found.jar")};
    const std::vector<std::wstring> rescanned{scratch.File(L"found.jar"), scratch.File(L"later.jar")};
    for (int run = 1; run <= 3; ++run) {
        if (run == 3) {
            process.RescanClasspath();
        }
        std::vector<std::wstring> report = RunJava(process);
        ASSERT_EQ(5u, report.size()) << logger.Text();
        EXPECT_EQ(run < 3 ? first : rescanned, SortedEntries(report[1])) << "run " << run;
        EXPECT_EQ(L"cwd=" + base.File(L"sub"), report[3]);
        EXPECT_EQ(L"missing=0", report[4]);  // every entry opens from the child's folder
        scratch.Write(L"later.jar", "PK");
    }
    wchar_t after[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, after);
    SetCurrentDirectoryW(ours);
    EXPECT_EQ(base.Path(), std::wstring(after));  // not moved by the class path scan nor the child
}

}  // namespace
