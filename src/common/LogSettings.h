#pragma once

#include <cstdint>
#include <string>

// The log file of an entry's runs: its path (NAME references expanded, relative to the
// configuration's folder), the size at which it is rotated and how many old files are kept.
// Plain data, filled by the configuration reader; only the elements that are set are written back.
struct LogSettings {
    static constexpr uint64_t DefaultMaxBytes = 10485760;
    // Below this a rotated file would hold hardly more than the time stamps.
    static constexpr uint64_t SmallestMaxBytes = 1024;
    static constexpr uint32_t DefaultBackups = 5;
    static constexpr uint32_t MostBackups = 999;

    bool present = false;  // the "log" element is there
    std::wstring file;
    uint64_t maxBytes = DefaultMaxBytes;  // 0: never rotate
    bool maxBytesSet = false;
    uint32_t backups = DefaultBackups;
    bool backupsSet = false;

    bool operator==(const LogSettings& other) const {
        return present == other.present && file == other.file && maxBytes == other.maxBytes &&
               maxBytesSet == other.maxBytesSet && backups == other.backups && backupsSet == other.backupsSet;
    }
    bool operator!=(const LogSettings& other) const { return !(*this == other); }
};
