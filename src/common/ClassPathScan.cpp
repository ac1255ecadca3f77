#include "common/ClassPathScan.h"

#include <utility>

ClassPathScan::ClassPathScan(Lister lister, std::function<bool()> stopRequested)
    : lister(std::move(lister)), stopRequested(std::move(stopRequested)), sinceStopCheck(0) {}

bool ClassPathScan::IsArchiveName(const std::wstring& name) {
    static const size_t suffix = 4;
    if (name.size() < suffix) {
        return false;
    }
    std::wstring end = name.substr(name.size() - suffix);
    return end == L".jar" || end == L".zip";
}

std::wstring ClassPathScan::TrimFolder(const std::wstring& folder) {
    size_t end = folder.find_last_not_of(L"\\/");
    return end == std::wstring::npos ? std::wstring() : folder.substr(0, end + 1);
}

bool ClassPathScan::StopDue() {
    sinceStopCheck = 0;
    return stopRequested && stopRequested();
}

void ClassPathScan::Enter(const std::wstring& folder) {
    Level level{folder, {}, 0};
    if (lister(folder, level.entries)) {
        levels.push_back(std::move(level));
    }
}

bool ClassPathScan::Add(const std::wstring& path) {
    size_t needed = classpath.size() + (classpath.empty() ? 0 : 1) + path.size();
    if (needed > MaxLength) {
        return false;
    }
    if (!classpath.empty()) {
        classpath += L';';
    }
    classpath += path;
    return true;
}

ClassPathScan::Outcome ClassPathScan::Scan(const std::wstring& root) {
    classpath.clear();
    levels.clear();
    std::wstring top = TrimFolder(root);
    if (top.empty()) {
        return Outcome::Complete;
    }
    if (StopDue()) {
        return Outcome::Stopped;
    }
    Enter(top);
    // An explicit stack rather than recursion: a deep tree cannot exhaust the worker's stack.
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.entries.size()) {
            levels.pop_back();
            continue;
        }
        const Entry& entry = level.entries[level.next++];
        if (++sinceStopCheck >= StopInterval && StopDue()) {
            return Outcome::Stopped;
        }
        if (entry.name == L"." || entry.name == L"..") {
            continue;
        }
        std::wstring path = level.folder + L"\\" + entry.name;
        if (entry.plainFolder) {
            if (StopDue()) {
                return Outcome::Stopped;
            }
            Enter(path);  // level is not used after this: the stack may have moved
        } else if (entry.file && IsArchiveName(entry.name) && !Add(path)) {
            levels.clear();
            return Outcome::TooLong;
        }
    }
    return Outcome::Complete;
}
