#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// A program started by a test, with its standard output and error captured through an
// anonymous pipe. The destructor kills the child if it still runs.
class ChildRun {
public:
    // commandLine as CreateProcessW takes it; directory may be empty (inherit ours). program,
    // when given, is the file to start, so that the command line may name it differently.
    ChildRun(const std::wstring& commandLine, const std::wstring& directory = std::wstring(),
             const std::wstring& program = std::wstring());
    ~ChildRun();
    ChildRun(const ChildRun&) = delete;
    ChildRun& operator=(const ChildRun&) = delete;

    bool Started() const { return process != nullptr; }
    DWORD ProcessId() const { return processId; }
    HANDLE ProcessHandle() const { return process; }
    // Waits for the child to end (reading its output meanwhile); false on timeout.
    bool Wait(DWORD timeoutMs = 20000);
    DWORD ExitCode() const;
    const std::string& Output() const { return output; }

private:
    void Drain();

    HANDLE process = nullptr;
    HANDLE readEnd = nullptr;
    DWORD processId = 0;
    std::string output;
};

}  // namespace testsupport
