#include "common/StartOrder.h"

#include <algorithm>

#include "common/RunReadiness.h"

size_t StartOrder::Find(const std::vector<Entry>& entries, const std::wstring& title) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].title == title) {
            return i;
        }
    }
    return entries.size();
}

std::vector<size_t> StartOrder::Due(const std::vector<Entry>& entries) {
    std::vector<size_t> due;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        if (!entry.waiting || !entry.order.afterSet) {
            continue;
        }
        size_t first = Find(entries, entry.order.after);
        // A predecessor without a window (disabled, or not made yet) keeps it waiting.
        if (first < entries.size() && first != i && entries[first].run && entries[first].run->IsReadyFor(entry.order)) {
            due.push_back(i);
        }
    }
    return due;
}

std::vector<std::vector<std::wstring>> StartOrder::WatchedTexts(const std::vector<Entry>& entries) {
    std::vector<std::vector<std::wstring>> texts(entries.size());
    for (const Entry& entry : entries) {
        size_t first = Find(entries, entry.order.after);
        if (!entry.order.afterSet || !entry.order.readySet || first == entries.size()) {
            continue;
        }
        std::vector<std::wstring>& watched = texts[first];
        if (std::find(watched.begin(), watched.end(), entry.order.ready) == watched.end()) {
            watched.push_back(entry.order.ready);
        }
    }
    return texts;
}
