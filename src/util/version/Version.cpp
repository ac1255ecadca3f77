#include "util/version/Version.h"

namespace util {
namespace version {

namespace {

const int kComponentLimit = 0x7FFFFFFF / 10 - 1;

}  // namespace

Version::Version(const wchar_t* text) : components() {
    className = L"Version";
    int index = 0;
    bool inDigits = true;
    for (const wchar_t* c = text; c && *c && index < kComponents; ++c) {
        if (*c == L'.') {
            ++index;
            inDigits = true;
        } else if (inDigits && *c >= L'0' && *c <= L'9') {
            int& value = components[index];
            // A hostile reply may send any number of digits; they saturate instead of overflowing.
            value = value > kComponentLimit ? 0x7FFFFFFF : value * 10 + (*c - L'0');
        } else {
            inDigits = false;  // only leading digits count
        }
    }
}

int Version::Compare(const Version& other) const {
    for (int i = 0; i < kComponents; ++i) {
        if (components[i] != other.components[i]) {
            return components[i] < other.components[i] ? -1 : 1;
        }
    }
    return 0;
}

}  // namespace version
}  // namespace util
