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
    wchar_t code[48];
    // Error and warning statuses (0xC..., 0x8...) and informational ones such as 0x40010004 read
    // as nothing in decimal.
    if ((exitCode & 0xC0000000u) != 0) {
        swprintf(code, sizeof(code) / sizeof(code[0]), L"%lu (0x%08lX)", static_cast<unsigned long>(exitCode),
                 static_cast<unsigned long>(exitCode));
    } else {
        swprintf(code, sizeof(code) / sizeof(code[0]), L"%lu", static_cast<unsigned long>(exitCode));
    }
    return code;
}

std::wstring ExitLine::Format(uint32_t exitCode, uint64_t durationMs, Reason reason) {
    const wchar_t* why = reason == Reason::Stopped     ? L"stopped"
                         : reason == Reason::Restarted ? L"ended for a restart"
                                                       : L"ended by itself";
    return L"Exit code " + Code(exitCode) + L", ran " + Duration(durationMs) + L", " + why + L"\r\n";
}
