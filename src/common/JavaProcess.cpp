#include "common/JavaProcess.h"

#include <string>
#include <vector>

#include "common/JavaDiscovery.h"
#include "common/SystemJavaLookups.h"
#include "util/Exception.h"

#ifndef FIND_FIRST_EX_LARGE_FETCH
#define FIND_FIRST_EX_LARGE_FETCH 2
#endif

namespace java {

namespace {

// A folder's entries as the system lists them, with the attributes the class path cares for.
bool ListFolder(const std::wstring& folder, std::vector<ClassPathScan::Entry>& entries) {
    std::wstring pattern = folder + L"\\*";
    WIN32_FIND_DATAW data;
    // Without the short names, in large batches: the cheapest listing the system offers.
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    do {
        DWORD attributes = data.dwFileAttributes;
        // Only plain folders are entered: hidden, system, read-only ones and links are left out.
        bool plainFolder =
            attributes == FILE_ATTRIBUTE_DIRECTORY || attributes == (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE);
        bool file = !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    (attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL)) != 0;
        entries.push_back({data.cFileName, plainFolder, file});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

// A relative folder taken against this program's current directory, once.
String FullPath(const String& directory) {
    DWORD needed = GetFullPathNameW(directory.GetBuffer(), 0, nullptr, nullptr);
    if (needed == 0) {
        return directory;
    }
    std::vector<wchar_t> full(needed + 1);
    DWORD length = GetFullPathNameW(directory.GetBuffer(), needed + 1, full.data(), nullptr);
    return length == 0 || length > needed ? directory : String(full.data());
}

}  // namespace

JavaProcess::JavaProcess() : Process(L"JavaProcess"), scanDue(true) {
    javaEntry = true;
    classpath = L"";
    startupClass = L"";
    javaHome = L"";
    javaCommandLine = L"";
    jvmOptions = L"";
    javaExe = L"";
    builtClasspath = L"";
    programFolder = L"";
}

JavaProcess::~JavaProcess() {
    Shutdown();
}

void JavaProcess::Launch() {
    if (!FindJavaHome()) {
        throw new Exception(L"JavaProcess::Run()\nCouldn't find any compatible JVM in the registry");
    }
    SetExecutable(javaExe);

    if (GetWorkingDirectory().IsEmpty()) {
        SetWorkingDirectory(GetStartDirectory());
    }
    // The child starts there; this program's own current directory stays where it is, since
    // other launches and the GUI's relative paths depend on it.
    if (!GetWorkingDirectory().IsEmpty()) {
        SetWorkingDirectory(FullPath(GetWorkingDirectory()));
    }
    String passed;
    if (!PrepareClasspath(passed)) {
        return;  // stopped while scanning: nothing is launched
    }
    environment.Clear();
    BuildEnvironment();
    AddVariable(L"CLASSPATH", passed.IsNull() ? L"" : passed.GetBuffer());
    // The system expects a child's block sorted by name; this program's own need not be.
    SortEnvironment();
    exitCode = ExecuteExternalProcess();
}

bool JavaProcess::PrepareClasspath(String& passed) {
    if (!classpath.IsEmpty()) {
        if (static_cast<size_t>(classpath.GetLength()) > ClassPathScan::MaxLength) {
            throw new Exception(
                L"JavaProcess::Run()\nThe <classpath> of this entry has %d characters, more than the limit of one "
                L"environment variable (32,767).",
                classpath.GetLength());
        }
        passed = classpath;
        return true;
    }
    if (scanDue.exchange(false)) {
        ClassPathScan::Outcome outcome = BuildClasspath([this] { return StopEventSet(); });
        if (outcome != ClassPathScan::Outcome::Complete) {
            scanDue = true;  // the next launch tries again
        }
        if (outcome == ClassPathScan::Outcome::Stopped) {
            return false;
        }
        if (outcome == ClassPathScan::Outcome::TooLong) {
            throw new Exception(
                L"JavaProcess::Run()\nThe class path built from the jars and zips below %s would pass the limit of "
                L"one environment variable (32,767 characters).\nList the ones the program needs in the entry's "
                L"<classpath>.",
                programFolder.GetBuffer());
        }
    }
    passed = builtClasspath;
    return true;
}

bool JavaProcess::StopEventSet() const {
    return WaitForSingleObject(GetStopEvent(), 0) == WAIT_OBJECT_0;
}

const String& JavaProcess::GetCommandLine() {
    javaCommandLine = GetExecutable();
    if (!jvmOptions.IsEmpty()) {
        javaCommandLine.AppendFormat(L" %s", jvmOptions.GetBuffer());
    }
    javaCommandLine.AppendFormat(L" %s", startupClass.GetBuffer());
    if (!GetArguments().IsEmpty()) {
        javaCommandLine.AppendFormat(L" %s", GetArguments().GetBuffer());
    }
    return javaCommandLine;
}

bool JavaProcess::FindJavaHome() {
    SystemJavaLookups lookups;
    return FindJavaHome(lookups);
}

bool JavaProcess::FindJavaHome(IJavaLookups& lookups) {
    // A runtime uninstalled or moved since is looked for again.
    if (!javaExe.IsEmpty() && lookups.FileExists(javaExe.GetBuffer())) {
        return true;
    }
    JavaDiscovery discovery(lookups);
    if (!discovery.Discover()) {
        javaHome = L"";
        javaExe = L"";
        return false;
    }
    javaHome = discovery.GetHome().c_str();
    javaExe = discovery.GetJavaExe().c_str();
    return true;
}

ClassPathScan::Outcome JavaProcess::BuildClasspath(const std::function<bool()>& stopRequested) {
    ClassPathScan scan(ListFolder, stopRequested);
    ClassPathScan::Outcome outcome = scan.Scan(programFolder.GetBuffer() ? programFolder.GetBuffer() : L"");
    builtClasspath = outcome == ClassPathScan::Outcome::Complete ? scan.GetClasspath().c_str() : L"";
    return outcome;
}

}  // namespace java
