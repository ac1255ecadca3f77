#pragma once

#include <string>

// What the discovery of a Java runtime asks the system. A seam: tests answer with their own
// environment, registry and files.
class IJavaLookups {
public:
    virtual ~IJavaLookups() = default;

    // A variable of this program's environment; false when it is unset or empty.
    virtual bool Environment(const std::wstring& name, std::wstring& value) = 0;
    // A string value under HKEY_LOCAL_MACHINE, in the 64-bit or the 32-bit registry view (the
    // same one on 32-bit Windows); false when it is missing, empty or not text.
    virtual bool Registry(const std::wstring& key, const std::wstring& name, bool view64, std::wstring& value) = 0;
    // Whether path names an existing file (not a folder).
    virtual bool FileExists(const std::wstring& path) = 0;
};
