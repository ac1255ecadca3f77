#include "common/JavaDiscovery.h"

#include <cwctype>

namespace {

const wchar_t JavaSoft[] = L"SOFTWARE\\JavaSoft\\";
const wchar_t* const CurrentVersionKeys[] = {L"JDK", L"JRE"};
const wchar_t RuntimeKey[] = L"Java Runtime Environment";
const wchar_t* const RuntimeVersions[] = {L"1.8", L"1.7", L"1.6", L"1.5", L"1.4"};
const wchar_t SystemEnvironmentKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

std::wstring Unquoted(const std::wstring& text) {
    std::wstring result;
    for (wchar_t c : text) {
        if (c != L'"') {
            result += c;
        }
    }
    return result;
}

std::wstring WithoutTrailingSeparators(const std::wstring& folder) {
    size_t end = folder.find_last_not_of(L"\\/");
    return end == std::wstring::npos ? std::wstring() : folder.substr(0, end + 1);
}

bool EndsWithBinFolder(const std::wstring& folder) {
    if (folder.size() < 4) {
        return false;
    }
    std::wstring end = folder.substr(folder.size() - 4);
    for (wchar_t& c : end) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return end == L"\\bin" || end == L"/bin";
}

}  // namespace

JavaDiscovery::JavaDiscovery(IJavaLookups& lookups) : lookups(lookups) {}

std::wstring JavaDiscovery::JavaExeOf(const std::wstring& home) {
    return WithoutTrailingSeparators(Unquoted(home)) + L"\\bin\\java.exe";
}

std::vector<std::wstring> JavaDiscovery::PathFolders(const std::wstring& path) {
    std::vector<std::wstring> folders;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L';', start);
        if (end == std::wstring::npos) {
            end = path.size();
        }
        std::wstring folder = WithoutTrailingSeparators(Unquoted(path.substr(start, end - start)));
        if (!folder.empty()) {
            folders.push_back(folder);
        }
        start = end + 1;
    }
    return folders;
}

bool JavaDiscovery::Discover() {
    home.clear();
    javaExe.clear();
    if (FromEnvironment()) {
        return true;
    }
    for (const wchar_t* key : CurrentVersionKeys) {
        if (FromCurrentVersion(std::wstring(JavaSoft) + key)) {
            return true;
        }
    }
    std::wstring runtime = std::wstring(JavaSoft) + RuntimeKey;
    if (FromCurrentVersion(runtime)) {
        return true;
    }
    for (const wchar_t* version : RuntimeVersions) {
        if (FromVersionKey(runtime + L"\\" + version)) {
            return true;
        }
    }
    return FromSystemEnvironment() || FromPath();
}

bool JavaDiscovery::Accept(const std::wstring& candidate) {
    std::wstring exe = JavaExeOf(candidate);
    if (candidate.empty() || !lookups.FileExists(exe)) {
        return false;
    }
    home = WithoutTrailingSeparators(Unquoted(candidate));
    javaExe = exe;
    return true;
}

bool JavaDiscovery::FromEnvironment() {
    std::wstring value;
    return lookups.Environment(L"JAVA_HOME", value) && Accept(value);
}

bool JavaDiscovery::FromCurrentVersion(const std::wstring& key) {
    // Each view on its own: a 64-bit runtime's CurrentVersion names a key of the 64-bit view.
    for (bool view64 : {true, false}) {
        std::wstring version;
        std::wstring value;
        if (lookups.Registry(key, L"CurrentVersion", view64, version) &&
            lookups.Registry(key + L"\\" + version, L"JavaHome", view64, value) && Accept(value)) {
            return true;
        }
    }
    return false;
}

bool JavaDiscovery::FromVersionKey(const std::wstring& key) {
    for (bool view64 : {true, false}) {
        std::wstring value;
        if (lookups.Registry(key, L"JavaHome", view64, value) && Accept(value)) {
            return true;
        }
    }
    return false;
}

bool JavaDiscovery::FromSystemEnvironment() {
    std::wstring value;
    // SYSTEM is one key in both views.
    return lookups.Registry(SystemEnvironmentKey, L"JAVA_HOME", true, value) && Accept(value);
}

bool JavaDiscovery::FromPath() {
    std::wstring path;
    if (!lookups.Environment(L"PATH", path)) {
        return false;
    }
    for (const std::wstring& folder : PathFolders(path)) {
        std::wstring exe = folder + L"\\java.exe";
        if (lookups.FileExists(exe)) {
            // Most installers put the runtime's own bin folder on PATH; others a folder of links.
            home = EndsWithBinFolder(folder) ? folder.substr(0, folder.size() - 4) : folder;
            javaExe = exe;
            return true;
        }
    }
    return false;
}
