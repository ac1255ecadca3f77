#include "win32/Registry.h"

#include <cwchar>
#include <vector>

#include "win32/System.h"

namespace win32 {

Registry::Registry() {
    className = L"Registry";
}

REGSAM Registry::ViewFlag(bool use64BitView) {
    if (!System::Is64Bit()) {
        return 0;
    }
    return use64BitView ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

String Registry::Expanded(const String& text) {
    DWORD needed = ExpandEnvironmentStringsW(text.GetBuffer(), nullptr, 0);
    if (needed == 0) {
        return text;
    }
    std::vector<wchar_t> expanded(needed + 1, L'\0');
    DWORD length = ExpandEnvironmentStringsW(text.GetBuffer(), expanded.data(), needed + 1);
    return length == 0 || length > needed + 1 ? text : String(expanded.data());
}

bool Registry::ReadString(HKEY hive, const wchar_t* subKey, const wchar_t* name, String& value, bool use64BitView) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(hive, subKey, 0, KEY_QUERY_VALUE | ViewFlag(use64BitView), &key) != ERROR_SUCCESS) {
        return false;
    }
    bool found = false;
    // The value may grow between the size query and the read; ask again a few times then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0) {
            break;
        }
        // Twice the size, zero-filled: data stored without a terminating null still ends in one.
        std::vector<wchar_t> buffer(size + 1, L'\0');
        DWORD read = size * 2;
        DWORD type = 0;
        LONG result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &read);
        if (result == ERROR_MORE_DATA) {
            continue;
        }
        // An empty string (only its terminating null) counts as missing, like a value of size 0,
        // and so does a value that is not text (a number's bytes would read as characters).
        size_t units = read / sizeof(wchar_t);
        size_t length = wcslen(buffer.data());
        bool text = type == REG_SZ || type == REG_EXPAND_SZ;
        if (result == ERROR_SUCCESS && text && length > 0 && units > 0) {
            value = String(buffer.data());
            if (length > units) {
                value.Truncate(static_cast<int>(units));  // drops half a unit of an odd byte count
            }
            found = true;
            if (type == REG_EXPAND_SZ) {
                value = Expanded(value);  // "%ProgramFiles%\\Java\\..." is a path only once expanded
            }
        }
        break;
    }
    RegCloseKey(key);
    return found;
}

bool Registry::WriteString(HKEY hive, const wchar_t* subKey, const wchar_t* name, const wchar_t* text) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(hive, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | ViewFlag(false), nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const wchar_t* data = text ? text : L"";
    DWORD bytes = static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t));
    bool written = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

}  // namespace win32
