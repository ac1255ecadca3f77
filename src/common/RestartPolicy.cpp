#include "common/RestartPolicy.h"

#include <cwctype>

namespace {

const wchar_t* const Names[] = {L"never", L"on-failure", L"always"};

bool EqualsNoCase(const std::wstring& text, const wchar_t* name) {
    size_t i = 0;
    for (; i < text.size() && name[i]; ++i) {
        if (static_cast<wchar_t>(std::towlower(text[i])) != name[i]) {
            return false;
        }
    }
    return i == text.size() && name[i] == L'\0';
}

}  // namespace

bool RestartPolicy::Parse(const std::wstring& text, Mode& mode) {
    for (int i = 0; i < 3; ++i) {
        if (EqualsNoCase(text, Names[i])) {
            mode = static_cast<Mode>(i);
            return true;
        }
    }
    return false;
}

const wchar_t* RestartPolicy::Name(Mode mode) {
    return Names[static_cast<int>(mode)];
}

bool RestartPolicy::Applies(uint32_t exitCode) const {
    return mode == Mode::Always || (mode == Mode::OnFailure && exitCode != 0);
}

uint64_t RestartPolicy::NextDelay(uint64_t runMs) {
    if (runMs >= SteadyRunMs) {
        Reset();
    }
    uint64_t delay = nextDelay;
    nextDelay = delay * 2 < LongestDelayMs ? delay * 2 : LongestDelayMs;
    return delay;
}
