#include "common/StopLine.h"

#include <cwchar>

namespace {

const wchar_t Prefix[] = L"Stopping: ";
const wchar_t LineEnd[] = L"\r\n";

}  // namespace

const wchar_t* StopLine::SignalName(StopSettings::Console console) {
    switch (console) {
        case StopSettings::Console::CtrlC:
            return L"Ctrl+C";
        case StopSettings::Console::CtrlBreak:
            return L"Ctrl+Break";
        case StopSettings::Console::None:
        default:
            return L"";
    }
}

std::wstring StopLine::Signal(StopSettings::Console console) {
    return Prefix + std::wstring(L"sent ") + SignalName(console) + LineEnd;
}

std::wstring StopLine::SignalFailed(StopSettings::Console console, const std::wstring& reason) {
    return Prefix + std::wstring(L"could not send ") + SignalName(console) + L": " + reason + LineEnd;
}

std::wstring StopLine::WindowsClosed(size_t count) {
    if (count == 0) {
        return Prefix + std::wstring(L"no window to send WM_CLOSE to") + LineEnd;
    }
    return Prefix + std::wstring(L"sent WM_CLOSE to ") + std::to_wstring(count) + (count == 1 ? L" window" : L" windows") +
           LineEnd;
}

std::wstring StopLine::CommandEnded(uint32_t exitCode) {
    return Prefix + std::wstring(L"stop command ended with exit code ") + std::to_wstring(exitCode) + LineEnd;
}

std::wstring StopLine::CommandFailed(const std::wstring& reason) {
    return Prefix + std::wstring(L"stop command failed to start: ") + reason + LineEnd;
}

std::wstring StopLine::TimedOut(uint32_t timeoutMs) {
    wchar_t seconds[32];
    swprintf(seconds, sizeof(seconds) / sizeof(seconds[0]), L"%lu.%u", static_cast<unsigned long>(timeoutMs / 1000),
             static_cast<unsigned>(timeoutMs % 1000 / 100));
    return Prefix + std::wstring(L"still running after ") + seconds + L" s, ending it" + LineEnd;
}
