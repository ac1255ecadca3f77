#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A child's environment: consecutive null-terminated "name=value" strings ended by an empty one,
// in a fixed buffer of 131,072 UTF-16 units (262,144 bytes). An entry that does not fit is
// refused whole, so a child never gets a cut environment.
class EnvironmentBlock {
public:
    static const size_t CapacityUnits = 131072;

    EnvironmentBlock();

    // Empties the block (all zeros).
    void Clear();
    // Appends "name=value"; false, with the block unchanged, when it does not fit.
    bool Append(const wchar_t* name, const wchar_t* value);
    // Orders the entries by name as the system expects of a child's block: unit by unit with
    // the letters upper-cased, a name before the longer ones it begins; equal names keep their
    // order.
    void Sort();
    // The same order for a list of "name=value" entries (the debug block's).
    static void SortEntries(std::vector<std::wstring>& entries);
    // Appends an inherited "name=value" entry, split at its first "=" (a value may hold more),
    // unless its name is CLASSPATH in any letter case. Entries without "=" are skipped. False
    // when it does not fit.
    bool AppendInherited(const wchar_t* entry);

    // Whether an entry of this name is in the block (names compared without letter case, as
    // Windows does).
    bool Contains(const wchar_t* name) const;

    const wchar_t* Data() const { return units.data(); }
    // Bytes used by the entries, each counted with its terminating null.
    size_t UsedBytes() const { return used * sizeof(wchar_t); }
    std::vector<std::wstring> Entries() const;

private:
    std::vector<wchar_t> units;
    size_t used;  // in units
};
