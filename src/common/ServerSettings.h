#pragma once

#include <string>
#include <vector>

#include "common/EnvironmentSettings.h"
#include "common/LogSettings.h"
#include "common/StartOrderSettings.h"
#include "common/StopSettings.h"

// The settings an entry may carry for programs that run as servers: environment, graceful stop,
// log file and start order.
struct ServerSettings {
    EnvironmentSettings environment;
    StopSettings stop;
    LogSettings log;
    StartOrderSettings order;

    // A value that could not be read, kept as written so that rewriting the file keeps the
    // user's text to correct (the entry does not run meanwhile).
    struct Unread {
        std::wstring parent;  // "stop" or "log"
        std::wstring name;
        std::wstring text;
        bool operator==(const Unread& other) const {
            return parent == other.parent && name == other.name && text == other.text;
        }
    };
    std::vector<Unread> unread;
};
