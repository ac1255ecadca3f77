#include "app/Application.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "win32/System.h"
#include "win32/VersionString.h"

Application* Application::current = nullptr;

Application::Application(const wchar_t* builtInName) : handle(0), argc(0), arguments(nullptr) {
    className = builtInName;
    current = this;
    wchar_t directory[MAX_PATH + 1] = L"";
    GetCurrentDirectoryW(MAX_PATH, directory);
    CollectStartup(GetCommandLineW(), directory, System::ModulePath());
}

Application::~Application() {
    delete[] arguments;
    if (current == this) {
        current = nullptr;
    }
}

void Application::CollectStartup(const wchar_t* commandLine,
                                 const wchar_t* currentDirectory,
                                 const String& modulePath) {
    delete[] arguments;
    arguments = nullptr;
    argc = 0;
    int count = 0;
    LPWSTR* split = (commandLine && *commandLine) ? CommandLineToArgvW(commandLine, &count) : nullptr;
    if (split) {
        argc = count;
        arguments = new String[count > 0 ? count : 1];
        for (int i = 0; i < count; ++i) {
            arguments[i] = split[i];
        }
        LocalFree(split);
    }
    startDirectory.Format(L"%s\\", currentDirectory);
    // The file the system loaded, not the command line's first word, which may be a bare name
    // found on PATH or anything the starting program chose.
    executablePath = modulePath;
    name = NameFromPath(executablePath);
    moduleName = name;
}

String Application::NameFromPath(const String& path) {
    if (path.IsNull()) {
        return String();
    }
    std::wstring text(path.GetBuffer());
    size_t slash = text.find_last_of(L"\\/");
    if (slash != std::wstring::npos) {
        text.erase(0, slash + 1);
    }
    size_t dot = text.rfind(L'.');
    if (dot != std::wstring::npos) {
        text.erase(dot);
    }
    return String(text.c_str());
}

unsigned int Application::SetHandle(unsigned int value) {
    if (value != 0) {
        handle = value;
    }
    return value;
}

const wchar_t* Application::GetDisplayName() const {
    return name.IsNull() ? className : name.GetBuffer();
}

const String& Application::FillFromVersion(String& cache, const wchar_t* key) {
    if (cache.IsEmpty()) {
        cache = GetVersionString(key);
    }
    return cache;
}

const wchar_t* Application::GetOriginalFilename() {
    if (FillFromVersion(OriginalFilename, L"OriginalFilename").IsEmpty()) {
        OriginalFilename = FillFromVersion(ProductName, L"ProductName");
    }
    return OriginalFilename.GetBuffer();
}
