#pragma once

#include <cstdint>
#include <string>

// How a run is asked to end before its processes are ended: a stop program, a console signal,
// WM_CLOSE to its windows, and how long to wait for it. Plain data, filled by the configuration
// reader; only the elements that are set are written back.
struct StopSettings {
    enum class Console { None, CtrlC, CtrlBreak };

    static constexpr uint32_t DefaultTimeoutMs = 10000;
    static constexpr uint32_t LongestTimeoutMs = 86400000;  // a day

    bool present = false;  // the "stop" element is there
    std::wstring executable;
    bool executableSet = false;
    std::wstring arguments;
    bool argumentsSet = false;
    Console console = Console::None;
    bool window = false;
    bool windowSet = false;
    uint32_t timeoutMs = DefaultTimeoutMs;
    bool timeoutSet = false;

    // "ctrl-c" or "ctrl-break" in any letter case; false for anything else.
    static bool ParseConsole(const std::wstring& text, Console& console);
    static const wchar_t* ConsoleName(Console console);

    bool operator==(const StopSettings& other) const;
    bool operator!=(const StopSettings& other) const { return !(*this == other); }
};
