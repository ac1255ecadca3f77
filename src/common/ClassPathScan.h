#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Builds a class path from the jars and zips below one folder. The walk is depth first: each
// folder's entries in the order its listing gives them, a subfolder entered where it is met.
// Every entry is the file's full path, so the class path means the same whatever folder the
// child runs in. The work is linear in the number of entries listed, and the walk asks its stop
// predicate as it goes, so a Stop never waits for a large tree.
class ClassPathScan {
public:
    // One entry of a folder's listing.
    struct Entry {
        std::wstring name;
        bool plainFolder;  // a folder with no attribute but directory (and archive): entered
        bool file;         // a file with the archive or normal attribute: a candidate
    };
    // Lists one folder (a full path without a trailing separator); false when it cannot be.
    using Lister = std::function<bool(const std::wstring& folder, std::vector<Entry>& entries)>;

    enum class Outcome { Complete, Stopped, TooLong };

    // The most characters the value of one environment variable may have.
    static constexpr size_t MaxLength = 32767;

    ClassPathScan(Lister lister, std::function<bool()> stopRequested);

    // Walks the tree below root. Stopped: the stop predicate said so; TooLong: the class path
    // passed MaxLength (the walk ends there). Either leaves the class path incomplete.
    Outcome Scan(const std::wstring& root);
    // ";"-separated full paths, for example C:\app\a.jar;C:\app\lib\b.zip.
    const std::wstring& GetClasspath() const { return classpath; }

    // Whether name is picked up: it ends with ".jar" or ".zip", in lower case.
    static bool IsArchiveName(const std::wstring& name);
    // The folder without its trailing separators ("C:\" becomes "C:"), ready for "\\" and a name.
    static std::wstring TrimFolder(const std::wstring& folder);

private:
    // A listed folder and how far the walk has gone in it.
    struct Level {
        std::wstring folder;
        std::vector<Entry> entries;
        size_t next;
    };

    // Lists folder onto the walk's stack; a folder that cannot be listed contributes nothing.
    void Enter(const std::wstring& folder);
    bool Add(const std::wstring& path);
    // Asks the predicate at every folder and every StopInterval entries: it may cost a call into
    // the system, and a folder of many files still answers within milliseconds.
    bool StopDue();

    static constexpr unsigned StopInterval = 64;

    Lister lister;
    std::function<bool()> stopRequested;
    std::vector<Level> levels;
    std::wstring classpath;
    unsigned sinceStopCheck;
};
