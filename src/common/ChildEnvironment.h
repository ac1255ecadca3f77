#pragma once

#include <string>
#include <vector>

#include "common/EnvironmentSettings.h"

class EnvironmentBlock;

// The environment of one launch: this program's own (without CLASSPATH), then the entry's
// environment file, read now, then its configured variables and removals.
class ChildEnvironment {
public:
    // Appends the variables to block. shown receives every entry of the block for the debug
    // block, secrets as "NAME=****". False, with problem as one line for the window, when the
    // file cannot be read or parsed, a value or the block is too long, or a Java entry (java)
    // gets a CLASSPATH variable.
    static bool Build(const EnvironmentSettings& settings,
                      bool java,
                      EnvironmentBlock& block,
                      std::vector<std::wstring>& shown,
                      std::wstring& problem);
    // The longest environment file read.
    static const size_t MaxFileBytes = 1024 * 1024;
    // The bytes of the file at path; false with the system's text (or that it is too long) in error.
    static bool ReadFile(const std::wstring& path, std::string& bytes, std::wstring& error);
};
