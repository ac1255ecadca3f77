#include "common/EnvironmentBlock.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

bool IsClasspathName(const wchar_t* name, size_t length) {
    static const wchar_t classpath[] = L"CLASSPATH";
    if (length != sizeof(classpath) / sizeof(classpath[0]) - 1) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<wchar_t>(std::towupper(name[i])) != classpath[i]) {
            return false;
        }
    }
    return true;
}

// The name of a "name=value" entry, upper-cased; from the second unit on, since a name may begin
// with "=" (the system's "=C:=C:\\dir").
std::wstring UpperName(const std::wstring& entry) {
    std::wstring name = entry.substr(0, entry.find(L'=', 1));
    for (wchar_t& c : name) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return name;
}

}  // namespace

EnvironmentBlock::EnvironmentBlock() : units(CapacityUnits, L'\0'), used(0) {}

void EnvironmentBlock::Clear() {
    std::fill(units.begin(), units.end(), L'\0');
    used = 0;
}

bool EnvironmentBlock::Append(const wchar_t* name, const wchar_t* value) {
    size_t nameLength = std::wcslen(name);
    size_t valueLength = std::wcslen(value);
    size_t entry = nameLength + 1 + valueLength + 1;  // with "=" and the terminating null
    // One unit always stays free for the empty string that ends the block.
    if (entry > CapacityUnits - 1 - used) {
        return false;
    }
    wchar_t* target = units.data() + used;
    std::wmemcpy(target, name, nameLength);
    target[nameLength] = L'=';
    std::wmemcpy(target + nameLength + 1, value, valueLength);
    target[entry - 1] = L'\0';
    used += entry;
    return true;
}

void EnvironmentBlock::SortEntries(std::vector<std::wstring>& entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const std::wstring& a, const std::wstring& b) { return UpperName(a) < UpperName(b); });
}

void EnvironmentBlock::Sort() {
    std::vector<std::wstring> entries = Entries();
    SortEntries(entries);
    size_t at = 0;
    for (const std::wstring& entry : entries) {
        std::wmemcpy(units.data() + at, entry.c_str(), entry.size() + 1);
        at += entry.size() + 1;
    }
}

bool EnvironmentBlock::AppendInherited(const wchar_t* entry) {
    // From the second unit on: a name may begin with "=", as the system's "=C:=C:\dir" do.
    const wchar_t* equals = entry[0] ? std::wcschr(entry + 1, L'=') : nullptr;
    if (!equals) {
        return true;  // not a variable: nothing to pass on
    }
    size_t nameLength = static_cast<size_t>(equals - entry);
    if (IsClasspathName(entry, nameLength)) {
        return true;
    }
    std::wstring name(entry, nameLength);
    return Append(name.c_str(), equals + 1);
}

bool EnvironmentBlock::Contains(const wchar_t* name) const {
    size_t length = std::wcslen(name);
    for (size_t at = 0; at < used && units[at] != L'\0'; at += std::wcslen(units.data() + at) + 1) {
        const wchar_t* entry = units.data() + at;
        size_t i = 0;
        while (i < length && std::towupper(entry[i]) == std::towupper(name[i])) {
            ++i;
        }
        if (i == length && entry[i] == L'=') {
            return true;
        }
    }
    return false;
}

std::vector<std::wstring> EnvironmentBlock::Entries() const {
    std::vector<std::wstring> entries;
    size_t at = 0;
    while (at < used && units[at] != L'\0') {
        std::wstring entry(units.data() + at);
        at += entry.size() + 1;
        entries.push_back(entry);
    }
    return entries;
}
