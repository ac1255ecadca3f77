#pragma once

#include "util/String.h"

namespace util {

// Named string settings of the program.
class IProperties {
public:
    virtual ~IProperties() = default;

    // True when the setting exists; value is then its text, else a null String. subKey (may be
    // null) names a group of settings below the program's own.
    virtual bool GetProperty(const wchar_t* name, String& value, const wchar_t* subKey = nullptr) = 0;
    // Stores the setting, creating its group when missing; true on success.
    virtual bool SetProperty(const wchar_t* name, const wchar_t* value, const wchar_t* subKey = nullptr) = 0;
};

}  // namespace util
