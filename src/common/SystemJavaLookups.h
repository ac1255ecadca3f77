#pragma once

#include "common/IJavaLookups.h"

// The lookups of a Java runtime's discovery answered by this program's environment, the
// registry of HKEY_LOCAL_MACHINE and the file system.
class SystemJavaLookups : public IJavaLookups {
public:
    bool Environment(const std::wstring& name, std::wstring& value) override;
    bool Registry(const std::wstring& key, const std::wstring& name, bool view64, std::wstring& value) override;
    bool FileExists(const std::wstring& path) override;
};
