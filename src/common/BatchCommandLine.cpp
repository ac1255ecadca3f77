#include "common/BatchCommandLine.h"

#include <cwchar>

namespace {

bool IsOperator(wchar_t c) {
    return std::wcschr(L"&|<>^()", c) != nullptr && c != L'\0';
}

}  // namespace

BatchCommandLine::BatchCommandLine(const std::wstring& batchPath, const std::wstring& arguments) {
    text = L"cmd.exe /D /V:OFF /E:ON /S /C \"\"" + batchPath + L"\"";
    if (!arguments.empty()) {
        text += L" " + Escape(arguments);
    }
    text += L"\"";
    size_t quotes = 0;
    for (wchar_t c : arguments) {
        quotes += c == L'"' ? 1 : 0;
    }
    if (quotes % 2 != 0) {
        // cmd.exe would take everything after the lone quote as quoted, operators and all.
        problem = L"The arguments of the batch file hold an odd number of quotes (" + std::to_wstring(quotes) +
                  L"): close each quoted part with a second quote.";
    } else if (text.size() > MaxLength) {
        problem = L"The command line for cmd.exe is " + std::to_wstring(text.size()) +
                  L" characters long; cmd.exe takes at most " + std::to_wstring(MaxLength) +
                  L". Shorten the arguments or the path of the batch file.";
    }
}

std::wstring BatchCommandLine::Escape(const std::wstring& arguments) {
    std::wstring escaped;
    escaped.reserve(arguments.size() + arguments.size() / 4);
    bool quoted = false;
    for (wchar_t c : arguments) {
        if (c == L'"') {
            quoted = !quoted;
        } else if (!quoted && IsOperator(c)) {
            escaped += L'^';
        }
        escaped += c;
    }
    return escaped;
}
