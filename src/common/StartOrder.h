#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/StartOrderSettings.h"

class RunReadiness;

// Who waits for whom: an entry with "after" that waits to start by itself may start once the
// current run of the entry of that title is ready for it. An entry never waits for more than one
// other, so nothing here follows chains, and a cycle simply never becomes due (the configuration
// check reports it). Free of Windows.
class StartOrder {
public:
    struct Entry {
        std::wstring title;  // compared exactly, as window titles are
        StartOrderSettings order;
        bool waiting = false;               // waits to start by itself
        const RunReadiness* run = nullptr;  // the entry's current run as its window sees it; not owned
    };

    // The waiting entries that may start now, by their place in the list.
    static std::vector<size_t> Due(const std::vector<Entry>& entries);
    // For each entry, the texts that the entries waiting for it look for (each once).
    static std::vector<std::vector<std::wstring>> WatchedTexts(const std::vector<Entry>& entries);

private:
    // The place of the entry with this title; entries.size() for none.
    static size_t Find(const std::vector<Entry>& entries, const std::wstring& title);
};
