#include "common/ExitLine.h"

#include <cwchar>

std::wstring ExitLine::Duration(uint64_t durationMs) {
    uint64_t tenths = durationMs / 100;
    wchar_t text[48];
    swprintf(text, sizeof(text) / sizeof(text[0]), L"%lu:%02u:%02u.%u", static_cast<unsigned long>(tenths / 36000),
             static_cast<unsigned>(tenths / 600 % 60), static_cast<unsigned>(tenths / 10 % 60),
             static_cast<unsigned>(tenths % 10));
    return text;
}

std::wstring ExitLine::Code(uint32_t exitCode) {
    // Statuses such as 0xC0000005 read as nothing in decimal, small codes as little in hex.
    wchar_t code[48];
    swprintf(code, sizeof(code) / sizeof(code[0]), L"%lu (0x%08lX)", static_cast<unsigned long>(exitCode),
             static_cast<unsigned long>(exitCode));
    return code;
}

namespace {

std::wstring Trimmed(const std::wstring& text) {
    const wchar_t* blank = L" \t\r\n";
    size_t first = text.find_first_not_of(blank);
    return first == std::wstring::npos ? std::wstring() : text.substr(first, text.find_last_not_of(blank) - first + 1);
}

bool IsOperation(const std::wstring& line) {
    return line.size() > 2 && line.compare(line.size() - 2, 2, L"()") == 0 && line.find(L' ') == std::wstring::npos;
}

}  // namespace

std::wstring ExitLine::FailureReason(const std::wstring& program, const std::wstring& message) {
    std::wstring reason = program;
    bool first = true;
    for (size_t start = 0; start <= message.size();) {
        size_t end = message.find(L'\n', start);
        end = end == std::wstring::npos ? message.size() : end;
        std::wstring line = Trimmed(message.substr(start, end - start));
        // The operation that failed says nothing to the user: the program and the cause do.
        if (!line.empty() && !(first && IsOperation(line))) {
            reason += L": " + line;
        }
        first = first && line.empty();
        start = end + 1;
    }
    return reason;
}

ExitLine::Reason ExitLine::AfterTimeout(Reason reason) {
    if (reason == Reason::Stopped) {
        return Reason::StoppedAfterTimeout;
    }
    return reason == Reason::Restarted ? Reason::RestartedAfterTimeout : reason;
}

std::wstring ExitLine::Note(uint32_t exitCode, Reason reason, const std::wstring& failure) {
    switch (reason) {
        case Reason::Stopped:
            return L"stopped";
        case Reason::Restarted:
            return L"stopped, ended for a restart";
        case Reason::StoppedAfterTimeout:
            return L"stopped after the timeout";
        case Reason::RestartedAfterTimeout:
            return L"stopped after the timeout, ended for a restart";
        case Reason::FailedToStart:
            return L"failed to start: " + failure;
        case Reason::ByItself:
        default:
            return L"exit code " + Code(exitCode) + L", ended by itself";
    }
}

std::wstring ExitLine::Format(uint32_t exitCode, uint64_t durationMs, Reason reason, const std::wstring& failure) {
    const std::wstring ran = L", ran " + Duration(durationMs);
    switch (reason) {
        case Reason::Stopped:
            return L"Stopped" + ran + L"\r\n";
        case Reason::Restarted:
            return L"Stopped" + ran + L", ended for a restart\r\n";
        case Reason::StoppedAfterTimeout:
            return L"Stopped after the timeout" + ran + L"\r\n";
        case Reason::RestartedAfterTimeout:
            return L"Stopped after the timeout" + ran + L", ended for a restart\r\n";
        case Reason::FailedToStart:
            return Note(exitCode, reason, failure) + L"\r\n";
        case Reason::ByItself:
        default:
            return L"Exit code " + Code(exitCode) + ran + L", ended by itself\r\n";
    }
}
