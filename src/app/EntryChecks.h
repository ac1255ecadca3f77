#pragma once

#include <string>
#include <vector>

// Problems that only the whole list of entries shows: a start order that names no entry or goes
// round in a cycle, and two applied entries writing the same log file. Free of Windows.
class EntryChecks {
public:
    struct Entry {
        std::wstring title;
        bool hasAfter = false;
        std::wstring after;
        // The log file's full path, "" for none; compared without letter case.
        std::wstring logPath;
        // The entry is the one that its title's window shows (the last of that title) and is
        // not disabled: only such entries write their log files.
        bool applied = true;
    };

    // One text per entry, "" where there is nothing wrong; otherwise one line per problem.
    static std::vector<std::wstring> Check(const std::vector<Entry>& entries);

private:
    static void CheckStartOrder(const std::vector<Entry>& entries, std::vector<std::wstring>& problems);
    static void CheckLogFiles(const std::vector<Entry>& entries, std::vector<std::wstring>& problems);
    static void Add(std::wstring& problems, const std::wstring& line);
};
