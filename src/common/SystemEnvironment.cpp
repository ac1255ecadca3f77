#include "common/SystemEnvironment.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "common/EnvironmentBuilder.h"

namespace {

bool IsClasspath(const wchar_t* entry) {
    return _wcsnicmp(entry, L"CLASSPATH=", 10) == 0;
}

}  // namespace

void SystemEnvironment::Inherit(EnvironmentBuilder& builder, bool keepClasspath) {
    // Read from the system rather than the C runtime's table, which a GUI program has to fill
    // first and which would pass non-ANSI characters through the ANSI code page.
    wchar_t* strings = GetEnvironmentStringsW();
    if (!strings) {
        return;
    }
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
        if (entry[0] != L'=' && (keepClasspath || !IsClasspath(entry))) {
            builder.Inherit(entry);
        }
    }
    FreeEnvironmentStringsW(strings);
}
