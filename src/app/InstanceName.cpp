#include "app/InstanceName.h"

#include <cstdint>

std::wstring InstanceName(const std::wstring& kind, const std::wstring& user, const std::wstring& upperPath) {
    uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : upperPath) {
        // Both bytes of each UTF-16 unit, so that paths differing only in non-ASCII letters differ.
        uint32_t unit = static_cast<uint32_t>(c) & 0xFFFFu;
        for (uint32_t byte : {unit & 0xFFu, unit >> 8}) {
            hash = (hash ^ byte) * 1099511628211ull;
        }
    }
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring digits(16, L'0');
    for (int i = 15; i >= 0; --i, hash >>= 4) {
        digits[static_cast<size_t>(i)] = kDigits[hash & 0xFu];
    }
    return L"Local\\" + kind + L"." + user + L"." + digits;
}
