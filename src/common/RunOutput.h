#pragma once

#include <string>
#include <vector>

#include "common/ILogger.h"
#include "common/LogSettings.h"
#include "common/RunLog.h"

// Where the runs of a process are told: the logger (its window, not owned) and the log file.
// Frames each run with its debug block (program, command line, working directory, environment)
// and the block's footer.
class RunOutput {
public:
    // The log file on disk (Windows builds).
    RunOutput() = default;
    RunOutput(const RunOutput&) = delete;
    RunOutput& operator=(const RunOutput&) = delete;

    void SetLogger(util::logging::ILogger* newLogger) { logger = newLogger; }
    bool HasLogger() const { return logger != nullptr; }
    // The name the debug block gives this program; empty for the default.
    void SetHostName(const std::wstring& name) { hostName = name; }
    // The log file (a full path, "" for none) that every line of the runs goes to, from now on;
    // its failures are told to the logger.
    void SetLogFile(const std::wstring& path, const LogSettings& settings);

    // Text of a run, pieces of lines included: to the logger and the log file; nowhere without a
    // logger.
    void Log(const wchar_t* text);
    // The program's own lines about a run: the same way, told apart for the logger.
    void LogOwnText(const wchar_t* text);
    // Ends a line left open in the log file (the run is over).
    void Flush() { runLog.Flush(); }
    // The environment (secrets already masked) goes to the logger only, never into the log file.
    void WriteDebugInfo(const std::wstring& commandLine,
                        const std::wstring& workingDirectory,
                        const std::vector<std::wstring>& environment);
    void WriteDebugFooter();

private:
    const wchar_t* HostName() const { return hostName.empty() ? L"Tarnwick" : hostName.c_str(); }

    util::logging::ILogger* logger = nullptr;  // not owned
    std::wstring hostName;
    RunLog runLog;
};
