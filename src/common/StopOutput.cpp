#include "common/StopOutput.h"

const wchar_t StopOutput::Prefix[] = L"[stop] ";

std::wstring StopOutput::Line(const std::wstring& text) {
    size_t length = !text.empty() && text.back() == L'\r' ? text.size() - 1 : text.size();
    return Prefix + text.substr(0, length) + L"\r\n";
}

std::wstring StopOutput::Take(const std::wstring& text) {
    std::wstring lines;
    for (wchar_t c : text) {
        if (c == L'\n') {
            lines += Line(held);
            held.clear();
        } else {
            held += c;
            if (held.size() >= MaxLineUnits) {
                lines += Line(held);
                held.clear();
            }
        }
    }
    return lines;
}

std::wstring StopOutput::Flush() {
    std::wstring rest = held.empty() ? std::wstring() : Line(held);
    held.clear();
    return rest;
}
