#include "common/StopSettings.h"

#include <cwctype>

namespace {

const wchar_t* const ConsoleNames[] = {L"", L"ctrl-c", L"ctrl-break"};

}  // namespace

bool StopSettings::ParseConsole(const std::wstring& text, Console& console) {
    std::wstring lower;
    for (wchar_t c : text) {
        lower += static_cast<wchar_t>(std::towlower(c));
    }
    for (int i = 1; i < 3; ++i) {
        if (lower == ConsoleNames[i]) {
            console = static_cast<Console>(i);
            return true;
        }
    }
    return false;
}

const wchar_t* StopSettings::ConsoleName(Console console) {
    return ConsoleNames[static_cast<int>(console)];
}

bool StopSettings::operator==(const StopSettings& other) const {
    return present == other.present && executable == other.executable && executableSet == other.executableSet &&
           arguments == other.arguments && argumentsSet == other.argumentsSet && console == other.console &&
           window == other.window && windowSet == other.windowSet && timeoutMs == other.timeoutMs &&
           timeoutSet == other.timeoutSet;
}
