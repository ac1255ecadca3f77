#include "support/SavedRegistryValue.h"

#include <windows.h>

namespace testsupport {

// The current user's software keys are one and the same in both registry views.
SavedRegistryValue::SavedRegistryValue(const std::wstring& subKey, const std::wstring& name)
    : subKey(subKey), name(name) {
    existed = RegGetValueW(HKEY_CURRENT_USER, subKey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, nullptr) ==
              ERROR_SUCCESS;
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
    DWORD size = sizeof(buffer);
    LSTATUS read = RegGetValueW(HKEY_CURRENT_USER, subKey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size);
    return read == ERROR_SUCCESS ? buffer : L"";
}

void SavedRegistryValue::Write(const std::wstring& text) const {
    RegSetKeyValueW(HKEY_CURRENT_USER, subKey.c_str(), name.c_str(), REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void SavedRegistryValue::Delete() const {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, subKey.c_str(), name.c_str());
}

}  // namespace testsupport
