#include "ScrollbackSetting.h"

#include <windows.h>

namespace {

const wchar_t Key[] = L"Software\\Hollbrae\\Tarnwick";
const wchar_t Name[] = L"ScrollbackCharacters";

void Store(const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, Key, Name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

ScrollbackSetting::ScrollbackSetting(const std::wstring& value) : existed(false) {
    wchar_t buffer[256] = L"";
    DWORD size = sizeof(buffer);
    existed = RegGetValueW(HKEY_CURRENT_USER, Key, Name, RRF_RT_REG_SZ, nullptr, buffer, &size) == ERROR_SUCCESS;
    previous = buffer;
    Store(value);
}

ScrollbackSetting::~ScrollbackSetting() {
    if (existed) {
        Store(previous);
        return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Key, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, Name);
        RegCloseKey(key);
    }
}
