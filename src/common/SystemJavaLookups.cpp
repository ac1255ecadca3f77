#include "common/SystemJavaLookups.h"

#include <windows.h>

#include <vector>

#include "util/Exception.h"
#include "util/String.h"
#include "win32/Registry.h"

bool SystemJavaLookups::Environment(const std::wstring& name, std::wstring& value) {
    // The value may grow between the two calls: ask again then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD needed = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
        if (needed <= 1) {
            return false;
        }
        std::vector<wchar_t> buffer(needed);
        DWORD length = GetEnvironmentVariableW(name.c_str(), buffer.data(), needed);
        if (length > 0 && length < needed) {
            value.assign(buffer.data(), length);
            return true;
        }
    }
    return false;
}

bool SystemJavaLookups::Registry(const std::wstring& key, const std::wstring& name, bool view64, std::wstring& value) {
    String read;
    try {
        if (!win32::Registry::ReadString(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), read, view64)) {
            return false;
        }
    } catch (Exception* e) {
        delete e;  // the system's bitness is unknown: this view cannot be read
        return false;
    }
    value = read.GetBuffer();
    return true;
}

bool SystemJavaLookups::FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
