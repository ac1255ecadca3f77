#include "support/SavedRegistryValue.h"

#include <windows.h>

namespace testsupport {
namespace {

const REGSAM kView = KEY_WOW64_32KEY;

}  // namespace

SavedRegistryValue::SavedRegistryValue(const std::wstring& subKey, const std::wstring& name)
    : subKey(subKey), name(name), existed(false) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_QUERY_VALUE | kView, &key) == ERROR_SUCCESS) {
        existed = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    saved = Read();
}

SavedRegistryValue::~SavedRegistryValue() {
    if (existed) {
        Write(saved);
    } else {
        Delete();
    }
}

std::wstring SavedRegistryValue::Read() const {
    wchar_t buffer[1024] = L"";
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_QUERY_VALUE | kView, &key) != ERROR_SUCCESS) {
        return std::wstring();
    }
    DWORD type = 0;
    LONG result = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_SZ ? std::wstring(buffer) : std::wstring();
}

void SavedRegistryValue::Write(const std::wstring& text) const {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | kView, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

void SavedRegistryValue::Delete() const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_SET_VALUE | kView, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, name.c_str());
        RegCloseKey(key);
    }
}

}  // namespace testsupport
