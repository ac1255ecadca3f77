#pragma once

#include <string>

#include "common/WindowLayout.h"

// The remembered layouts in the registry: one key per configuration file below the program's
// key, "Layouts\<WindowLayout::KeyName of the lower-cased full path>", holding the path itself
// ("Path", which a read checks, so that two paths of one hash never share a layout) and the
// values "Frame", "Panel", "Arrangement" and "Windows".
class LayoutStore {
public:
    // The key of the configuration at path, below HKEY_CURRENT_USER.
    static std::wstring KeyFor(const std::wstring& path);
    // False when nothing is remembered for path; values that do not parse are left out.
    static bool Read(const std::wstring& path, WindowLayout& layout);
    static void Write(const std::wstring& path, const WindowLayout& layout);
    // Removes what is remembered for path.
    static void Forget(const std::wstring& path);

private:
    // The path in the system's own letter case rules, so that C:\A and c:\a are one file.
    static std::wstring Lowered(const std::wstring& path);
};
