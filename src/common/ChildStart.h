#pragma once

#include <windows.h>

#include "util/String.h"

// The system call that makes a run's child: without a window or input, its standard output and
// error both on the run's pipe end, which is the one handle it inherits, and suspended, so that
// it can be put in its job before it runs anything (nothing it starts may escape the job).
class ChildStart {
public:
    // output: the pipe end the child writes to; it must stay open until Create has returned.
    explicit ChildStart(HANDLE output) : output(output) {}

    // Makes the child, its main thread suspended; the caller owns the handles it returns.
    // application is the file to run, named so that the system does not search for one;
    // environment a Unicode block; an empty directory keeps this program's current one.
    // Throws with the system's text when the child cannot be made.
    PROCESS_INFORMATION Create(const String& application,
                               const String& commandLine,
                               const wchar_t* environment,
                               const String& directory);

private:
    HANDLE output;
};
