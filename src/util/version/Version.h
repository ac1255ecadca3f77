#pragma once

#include "util/Object.h"

namespace util {
namespace version {

// A dotted version such as 1.0.14: up to ten decimal components, the missing ones 0.
class Version : public Object {
public:
    static const int kComponents = 10;

    // Parts beyond the tenth are ignored; a part without leading digits (or a null text) gives 0.
    explicit Version(const wchar_t* text);

    int GetComponent(int index) const { return components[index]; }
    // Component by component, the first difference decides: negative, 0 or positive.
    int Compare(const Version& other) const;
    bool IsNewerThan(const Version& other) const { return Compare(other) > 0; }

private:
    int components[kComponents];
};

}  // namespace version
}  // namespace util
