#pragma once

#include <string>

// The command line that runs a batch file through cmd.exe with its arguments kept as arguments:
//   cmd.exe /D /V:OFF /E:ON /S /C ""path" arguments"
// /D skips the AutoRun commands of the registry (which may also change the folder the batch file
// starts in), /V:OFF leaves "!" alone, /E:ON keeps the command extensions batch files expect, and
// /S makes cmd.exe take off the outer pair of quotes only. cmd.exe would still see & | < > ^ ( )
// in the arguments as its own operators, so outside quotes each gets a caret. %NAME% is expanded
// by cmd.exe as it always was: configurations rely on it.
class BatchCommandLine {
public:
    // The longest line cmd.exe takes; a longer one is cut.
    static constexpr size_t MaxLength = 8191;

    BatchCommandLine(const std::wstring& batchPath, const std::wstring& arguments);

    // The line, built even when it cannot be run.
    const std::wstring& Text() const { return text; }
    // Empty when the line can be run; otherwise what is wrong with it, in words for the user.
    const std::wstring& Problem() const { return problem; }

    // The arguments with cmd.exe's operators outside quotes escaped by a caret.
    static std::wstring Escape(const std::wstring& arguments);

private:
    std::wstring text;
    std::wstring problem;
};
