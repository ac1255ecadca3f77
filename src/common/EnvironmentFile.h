#pragma once

#include <string>
#include <vector>

// A file of NAME=value lines for a child's environment, read at every start. UTF-8 with or
// without a byte-order mark; blank lines and lines starting with "#" are skipped; a line splits
// at its first "="; blanks around name and value go; one pair of quotes (" or ') around the
// value is stripped, and a quoted value is taken as it stands (no %NAME% expansion). Free of
// Windows, tested natively.
class EnvironmentFile {
public:
    struct Entry {
        std::wstring name;
        std::wstring value;
        bool quoted = false;  // the value stood in quotes: not to be expanded
    };

    // Parses the file's bytes into entries, in file order. False, with problem saying which line
    // is wrong ("line 3: ..."), for text that is not UTF-8, a line without "=" or an empty name.
    static bool Parse(const std::string& bytes, std::vector<Entry>& entries, std::wstring& problem);

private:
    static bool ParseLine(const std::wstring& line, size_t number, std::vector<Entry>& entries, std::wstring& problem);
};
