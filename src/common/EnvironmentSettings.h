#pragma once

#include <string>
#include <vector>

// The environment an entry sets up for its child: this program's own, then the variables of an
// optional file of NAME=value lines, then the changes of the "environment" element in document
// order. Plain data, filled by the configuration reader.
struct EnvironmentSettings {
    // One "variable" (name and value) or "remove" (name only) element.
    struct Change {
        std::wstring name;
        std::wstring value;
        bool remove = false;

        bool operator==(const Change& other) const {
            return name == other.name && value == other.value && remove == other.remove;
        }
    };

    std::vector<Change> changes;
    bool present = false;  // the "environment" element is there, written back even when empty
    std::wstring file;     // "environmentFile" as configured (relative to the configuration's folder)
    bool fileSet = false;

    bool operator==(const EnvironmentSettings& other) const {
        return changes == other.changes && present == other.present && file == other.file && fileSet == other.fileSet;
    }
    bool operator!=(const EnvironmentSettings& other) const { return !(*this == other); }
};
