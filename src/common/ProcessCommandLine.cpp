#include "common/ProcessCommandLine.h"

#include <windows.h>

#include <vector>

#include "util/SystemError.h"

namespace {

std::wstring Text(const String& s) {
    return s.IsNull() ? std::wstring() : std::wstring(s.GetBuffer());
}

// In quotes when it holds a blank, so that the child's own parsing of its command line gets it whole.
std::wstring CommandToken(const std::wstring& path) {
    return path.find_first_of(L" \t") == std::wstring::npos ? path : L"\"" + path + L"\"";
}

// The current directory, for a process told no start folder.
std::wstring CurrentFolder() {
    std::vector<wchar_t> directory(MAX_PATH + 1);
    DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data());
    if (length >= directory.size()) {
        directory.resize(length + 1);
        length = GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data());
    }
    return length > 0 && length < directory.size() ? std::wstring(directory.data()) : std::wstring();
}

}  // namespace

ProcessCommandLine::ProcessCommandLine() : batchFile(false) {
    program = L"";
    arguments = L"";
    commandLine = L"";
    applicationName = L"";
}

void ProcessCommandLine::SetExecutable(const String& path) {
    executable = ProgramSearch::Split(Text(path));
    batchFile = ProgramSearch::IsBatchFile(executable.program);
    applicationName = L"";
    foundBatchFile.clear();
    SetProgram(executable.program);
}

void ProcessCommandLine::SetProgram(const std::wstring& path) {
    std::wstring first = CommandToken(path);
    if (!executable.rest.empty()) {
        first += L" " + executable.rest;
    }
    program = first.c_str();
}

BatchCommandLine ProcessCommandLine::BatchLine() const {
    std::wstring batchArguments = executable.rest;
    if (!arguments.IsEmpty()) {
        batchArguments += (batchArguments.empty() ? L"" : L" ") + Text(arguments);
    }
    return BatchCommandLine(foundBatchFile.empty() ? executable.program : foundBatchFile, batchArguments);
}

const String& ProcessCommandLine::Build() {
    if (batchFile) {
        commandLine = BatchLine().Text().c_str();
    } else if (!arguments.IsEmpty()) {
        commandLine.Format(L"%s %s", program.GetBuffer(), arguments.GetBuffer());
    } else {
        commandLine = program;
    }
    return commandLine;
}

String ProcessCommandLine::Find(const String& startDirectory) {
    applicationName = L"";
    foundBatchFile.clear();
    String problem;
    if (executable.unclosed) {
        problem = L"the program's closing quote is missing.";
        return problem;
    }
    ProgramSearch search = ProgramSearch::ForThisProgram();
    search.SetBase(startDirectory.IsEmpty() ? CurrentFolder() : Text(startDirectory));
    std::wstring found = search.Find(executable.program);
    if (found.empty()) {
        const wchar_t* hint = executable.quoted
                                  ? L""
                                  : L" If the program's path holds blanks, put it in quotes; if the value goes on "
                                    L"with the program's arguments, move them to commandLineArguments.";
        problem.Format(L"program not found.%s", hint);
        return problem;
    }
    if (!batchFile) {
        SetProgram(found);
        applicationName = found.c_str();
        return problem;
    }
    // By its full path: a cmd.exe anywhere else (the current directory) is not the system's.
    if (search.SystemFolder().empty()) {
        problem.Format(L"the system folder, which holds cmd.exe, is unknown.\n%s", GetSystemErrorText());
        return problem;
    }
    foundBatchFile = found;
    applicationName = (search.SystemFolder() + L"\\cmd.exe").c_str();
    std::wstring lineProblem = BatchLine().Problem();
    if (!lineProblem.empty()) {
        problem.Format(L"%s", lineProblem.c_str());
    }
    return problem;
}
