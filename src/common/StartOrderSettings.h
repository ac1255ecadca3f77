#pragma once

#include <string>

// The entry whose run this one waits for before it starts by itself ("after", a title compared
// as window titles are), and the text a line of that run must contain first ("ready").
struct StartOrderSettings {
    std::wstring after;
    bool afterSet = false;
    std::wstring ready;
    bool readySet = false;

    bool operator==(const StartOrderSettings& other) const {
        return after == other.after && afterSet == other.afterSet && ready == other.ready && readySet == other.readySet;
    }
    bool operator!=(const StartOrderSettings& other) const { return !(*this == other); }
};
