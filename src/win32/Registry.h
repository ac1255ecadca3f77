#pragma once

#include <windows.h>

#include "util/Object.h"
#include "util/String.h"

namespace win32 {

// String values of the registry. The program sees the registry as a 32-bit program does: reads
// in the default view and every write use the 32-bit view on 64-bit Windows, whichever build
// this is; a read may ask for the 64-bit view instead.
class Registry : public Object {
public:
    Registry();

    // Reads a string value (null name: the key's default value). True when the value exists and
    // is non-empty text (REG_SZ, or REG_EXPAND_SZ, expanded); value is left unchanged otherwise.
    // Throws only when the system's bitness cannot be determined.
    static bool ReadString(HKEY hive, const wchar_t* subKey, const wchar_t* name, String& value, bool use64BitView);
    // Writes a REG_SZ value (null name: the default value), creating the key and its parents.
    static bool WriteString(HKEY hive, const wchar_t* subKey, const wchar_t* name, const wchar_t* text);

private:
    // KEY_WOW64_64KEY, KEY_WOW64_32KEY or nothing (32-bit Windows has one view only).
    static REGSAM ViewFlag(bool use64BitView);
    // A REG_EXPAND_SZ value with its environment variables put in.
    static String Expanded(const String& text);
};

}  // namespace win32
