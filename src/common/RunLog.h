#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/CriticalSection.h"
#include "common/LogFileWriter.h"
#include "common/Win32FileWriter.h"

// The log file of a process's runs, written on whichever thread hands it text (the worker for
// output, the window's thread for a stop's lines), one at a time.
class RunLog {
public:
    using Reporter = LogFileWriter::Reporter;

    RunLog();
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Where text goes from now on ("" for nowhere); the open file stays when nothing changed.
    // reporter receives the writer's failures, for the window.
    void Configure(const std::wstring& path, uint64_t maxBytes, uint32_t backups, Reporter reporter);
    bool IsActive();
    // Output, pieces of lines included.
    void Append(const wchar_t* text);
    // Ends a line left open (the run is over).
    void Flush();

    static LogFileWriter::LocalTime Now();

private:
    CriticalSection lock;
    std::wstring path;
    uint64_t maxBytes;
    uint32_t backups;
    std::unique_ptr<Win32FileWriter> files;
    std::unique_ptr<LogFileWriter> writer;
};
