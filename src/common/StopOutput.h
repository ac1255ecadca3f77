#pragma once

#include <string>

// The stop program's output on its way into the run's window: whole lines, each after "[stop] ",
// so that they stand apart from the run's own. Text arrives in pieces of any size; a line waits
// for its end, and Flush gives the last one when the program has ended without one.
class StopOutput {
public:
    // The complete lines in what came so far, prefixed, each ending in CR LF (a CR before the LF
    // is dropped). Text without line ends is cut into lines of MaxLineUnits: a program that never
    // ends a line must not make this grow without bound.
    std::wstring Take(const std::wstring& text);
    // What is left of an unfinished line, as a line; empty when nothing is.
    std::wstring Flush();

    static constexpr size_t MaxLineUnits = 8192;
    static const wchar_t Prefix[];

private:
    static std::wstring Line(const std::wstring& text);
    std::wstring held;
};
