#include "app/Application.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "win32/VersionString.h"

Application* Application::current = nullptr;

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool HasSeparator(const std::wstring& path) {
    return path.find_first_of(L"\\/") != std::wstring::npos;
}

bool IsAbsolute(const std::wstring& path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return true;  // UNC or device path
    }
    return path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]);
}

// Length of the root that ".." cannot climb above: "C:" or a share's "\\server\share".
size_t RootLength(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') {
        return 2;
    }
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) {
        return 0;
    }
    size_t server = path.find_first_of(L"\\/", 2);
    size_t share = server == std::wstring::npos ? server : path.find_first_of(L"\\/", server + 1);
    return share == std::wstring::npos ? path.size() : share;
}

// Joins base (ending with a backslash) and a relative path, folding "." and ".." as the system does.
std::wstring Resolve(const std::wstring& base, const std::wstring& relative) {
    std::wstring joined;
    if (!relative.empty() && IsSeparator(relative[0])) {
        joined = base.substr(0, RootLength(base)) + relative;  // rooted on the start directory's drive or share
    } else if (relative.size() >= 2 && relative[1] == L':') {
        bool sameDrive = base.size() >= 2 && towupper(base[0]) == towupper(relative[0]);
        joined = sameDrive ? base + relative.substr(2) : relative.substr(0, 2) + L"\\" + relative.substr(2);
    } else {
        joined = base + relative;
    }
    const size_t rootLength = RootLength(joined);
    std::vector<std::wstring> parts;
    std::wstring part;
    for (size_t i = rootLength; i <= joined.size(); ++i) {
        if (i == joined.size() || IsSeparator(joined[i])) {
            if (part == L"..") {
                if (!parts.empty()) {
                    parts.pop_back();
                }
            } else if (!part.empty() && part != L".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += joined[i];
        }
    }
    std::wstring result = joined.substr(0, rootLength);
    for (const std::wstring& p : parts) {
        result += L"\\" + p;
    }
    return result;
}

}  // namespace

Application::Application(const wchar_t* builtInName)
    : handle(0), argc(0), arguments(nullptr) {
    className = builtInName;
    current = this;
    wchar_t directory[MAX_PATH + 1] = L"";
    GetCurrentDirectoryW(MAX_PATH, directory);
    CollectStartup(GetCommandLineW(), directory);
}

Application::~Application() {
    delete[] arguments;
    if (current == this) {
        current = nullptr;
    }
}

void Application::CollectStartup(const wchar_t* commandLine, const wchar_t* currentDirectory) {
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
    executablePath = MakeExecutablePath(argc >= 1 ? arguments[0] : String(), startDirectory);
    name = NameFromPath(executablePath);
    moduleName = name;
}

String Application::MakeExecutablePath(const String& invokedAs, const String& startDirectory) {
    if (invokedAs.IsNull()) {
        return String();
    }
    std::wstring path(invokedAs.GetBuffer());
    String result;
    if (!HasSeparator(path)) {
        result.Format(L"%s\\%s", startDirectory.GetBuffer(), invokedAs.GetBuffer());
    } else if (IsAbsolute(path)) {
        result = invokedAs;
    } else {
        // The current directory moves while the program runs (file dialogs change it), so a
        // relative path is fixed against the start directory now.
        result = Resolve(startDirectory.IsNull() ? L"" : startDirectory.GetBuffer(), path).c_str();
    }
    return result;
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
