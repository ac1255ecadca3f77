#pragma once

#include <string>

#include "common/BatchCommandLine.h"
#include "common/ProgramSearch.h"
#include "util/String.h"

// The program a process runs and the command line it is given. The program is a path or a bare
// name, found at each launch (see ProgramSearch); a value in quotes may go on with arguments after
// the closing quote. A batch file (".bat", ".cmd" in any case) runs through the system's cmd.exe
// (see BatchCommandLine).
class ProcessCommandLine {
public:
    ProcessCommandLine();

    void SetExecutable(const String& path);
    void SetArguments(const String& text) { arguments = text; }
    // The command line's first part: the program (the file found once a launch found it), and
    // what followed its quotes.
    const String& GetExecutable() const { return program; }
    const String& GetArguments() const { return arguments; }
    // What the launch runs: the file found for the program (the system's cmd.exe for a batch
    // file); empty until a launch has found it.
    const String& GetApplicationName() const { return applicationName; }

    // The full command line: program (in quotes when it holds a blank), then a blank and the
    // arguments when there are any; for a batch file: cmd.exe /D /V:OFF /E:ON /S /C ""path"
    // arguments".
    const String& Build();
    // Finds the program's file (and cmd.exe for a batch file), relative paths taken against
    // startDirectory (empty: the current directory); empty when found, else why the launch
    // cannot go on.
    String Find(const String& startDirectory);

private:
    void SetProgram(const std::wstring& path);
    BatchCommandLine BatchLine() const;

    ProgramSearch::Value executable;  // as SetExecutable was given it
    bool batchFile;                   // the program is a batch file, run by cmd.exe
    String program;
    String arguments;
    String commandLine;
    String applicationName;
    std::wstring foundBatchFile;  // the batch file found at the launch
};
