#include "common/JavaProcess.h"

#include <vector>

#include "app/Application.h"
#include "util/Exception.h"
#include "win32/Registry.h"
#include "win32/System.h"

namespace java {

namespace {

const wchar_t* const RuntimeKeys64[] = {
    L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.7",
    L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.6",
    L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.5",
    L"SOFTWARE\\Wow6432Node\\JavaSoft\\Java Runtime Environment\\1.4",
};

const wchar_t* const RuntimeKeys[] = {
    L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.7",
    L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.6",
    L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.5",
    L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.4",
};

const wchar_t SystemEnvironmentKey[] = L"SYSTEM\\ControlSet001\\Control\\Session Manager\\Environment";

// The JavaHome of the first of these runtime keys that has one.
template <size_t Count>
bool FirstJavaHome(const wchar_t* const (&keys)[Count], bool use64BitView, String& home) {
    for (const wchar_t* key : keys) {
        if (win32::Registry::ReadString(HKEY_LOCAL_MACHINE, key, L"JavaHome", home, use64BitView)) {
            return true;
        }
    }
    return false;
}

// A relative directory taken against this program's current directory, once.
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

JavaProcess::JavaProcess() : Process(L"JavaProcess") {
    javaEntry = true;
    classpath = L"";
    startupClass = L"";
    javaHome = L"";
    javaCommandLine = L"";
    jvmOptions = L"";
}

JavaProcess::~JavaProcess() {
    Shutdown();
}

void JavaProcess::Launch() {
    if (!FindJavaHome()) {
        throw new Exception(L"JavaProcess::Run()\nCouldn't find any compatible JVM in the registry");
    }
    String java;
    java.Format(L"%s\\bin\\java.exe", javaHome.GetBuffer());
    SetExecutable(java);

    Application* application = Application::GetCurrent();
    if (workingDirectory.IsEmpty() && application) {
        workingDirectory = application->startDirectory;
    }
    // The child starts there; this program's own current directory stays where it is, since
    // other launches and the GUI's relative paths depend on it.
    if (!workingDirectory.IsEmpty()) {
        workingDirectory = FullPath(workingDirectory);
    }
    if (classpath.IsEmpty()) {
        BuildClasspath();
    }
    environment.Clear();
    RequireFit(environment.Append(L"CLASSPATH", classpath.IsNull() ? L"" : classpath.GetBuffer()));
    if (!BuildEnvironment()) {
        return;
    }
    exitCode = ExecuteExternalProcess();
}

const String& JavaProcess::GetCommandLine() {
    javaCommandLine = program;
    if (!jvmOptions.IsEmpty()) {
        javaCommandLine.AppendFormat(L" %s", jvmOptions.GetBuffer());
    }
    javaCommandLine.AppendFormat(L" %s", startupClass.GetBuffer());
    if (!arguments.IsEmpty()) {
        javaCommandLine.AppendFormat(L" %s", arguments.GetBuffer());
    }
    return javaCommandLine;
}

bool JavaProcess::FindJavaHome() {
    if (!javaHome.IsEmpty()) {
        return true;
    }
    DWORD needed = GetEnvironmentVariableW(L"JAVA_HOME", nullptr, 0);
    if (needed > 1) {
        std::vector<wchar_t> value(needed);
        if (GetEnvironmentVariableW(L"JAVA_HOME", value.data(), needed) > 0) {
            javaHome = value.data();
            return true;
        }
    }
    String found;
    if ((System::Is64Bit() && FirstJavaHome(RuntimeKeys64, true, found)) || FirstJavaHome(RuntimeKeys, false, found) ||
        win32::Registry::ReadString(HKEY_LOCAL_MACHINE, SystemEnvironmentKey, L"JAVA_HOME", found, true)) {
        javaHome = found;
        return true;
    }
    return false;
}

void JavaProcess::BuildClasspath() {
    Application* application = Application::GetCurrent();
    if (!application || application->executablePath.IsEmpty()) {
        return;
    }
    String directory = application->executablePath;
    int slash = directory.FindLast(L"\\");
    if (slash >= 0) {
        directory.Truncate(slash);
    }
    String relative(L".");
    ScanDirectory(directory, classpath, relative);
}

bool JavaProcess::ScanDirectory(const String& directory, String& classpath, String& relativePath) {
    String pattern;
    pattern.Format(L"%s\\*.*", directory.GetBuffer());
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.GetBuffer(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    do {
        String name(data.cFileName);
        DWORD attributes = data.dwFileAttributes;
        // Only plain directories are entered: hidden, system or read-only ones are left out.
        bool plainDirectory =
            attributes == FILE_ATTRIBUTE_DIRECTORY || attributes == (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE);
        if (plainDirectory && !name.Equals(L".") && !name.Equals(L"..")) {
            relativePath.AppendFormat(L"\\%s", name.GetBuffer());
            String below;
            below.Format(L"%s\\%s", directory.GetBuffer(), name.GetBuffer());
            ScanDirectory(below, classpath, relativePath);
            relativePath.Truncate(relativePath.FindLast(L"\\"));
        }
        if (attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL)) {
            String path;
            path.Format(L"%s\\%s", relativePath.GetBuffer(), name.GetBuffer());
            if (path.EndsWith(L".jar") || path.EndsWith(L".zip")) {
                if (!classpath.IsEmpty()) {
                    classpath.Append(L";");
                }
                classpath.Append(path);
            }
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

}  // namespace java
