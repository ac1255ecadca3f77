#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/GuardedPointer.h"
#include "common/ILogger.h"
#include "common/LogSettings.h"
#include "common/RunLog.h"

// Where the runs of a process are told: the logger (its window, not owned) and the log file.
// Frames each run with its debug block (program, command line, working directory, environment)
// and the block's footer.
//
// The worker, the log file's writer and the window's thread all tell the logger, and a worker
// left behind at the program's end outlives the window: the logger is only called through a
// guard that SetLogger closes behind the previous one (GuardedPointer).
class RunOutput {
public:
    // The log file on disk (Windows builds).
    RunOutput() = default;
    RunOutput(const RunOutput&) = delete;
    RunOutput& operator=(const RunOutput&) = delete;

    // Where text goes from now on (null: nowhere). Returns once no call to the previous logger is
    // in progress, so the caller may free it then; a logger must therefore never wait for the
    // thread that replaces it.
    void SetLogger(util::logging::ILogger* newLogger) { logger.Set(newLogger); }
    bool HasLogger() { return logger.IsSet(); }
    // The name the debug block gives this program; empty for the default.
    void SetHostName(const std::wstring& name) { hostName = name; }
    // The log file (a full path, "" for none) that every line of the runs goes to, from now on;
    // its failures are told to the logger.
    void SetLogFile(const std::wstring& path, const LogSettings& settings);
    // Lets the child's output stop waiting for room in the log's queue (see RunLog::SetGiveUp).
    void SetLogGiveUp(std::function<bool()> check) { runLog.SetGiveUp(std::move(check)); }

    // Text of a run, pieces of lines included: to the logger and the log file; nowhere without a
    // logger.
    void Log(const wchar_t* text);
    // The same for text the child itself wrote (the logger's LogOutput).
    void LogChild(const wchar_t* text);
    // The same for output that was all ASCII: text is bytes widened, and the log file takes the
    // bytes themselves. With block (the reader's buffer, which holds the bytes) the log file may
    // take the buffer and leave another in its place (see RunLog::AppendAscii).
    void LogChild(const wchar_t* text, const char* bytes, size_t count, std::vector<char>* block = nullptr);
    // Ends a line left open in the log file (the run is over).
    void Flush() { runLog.Flush(); }
    // The environment (secrets already masked) goes to the logger only, never into the log file.
    void WriteDebugInfo(const std::wstring& commandLine,
                        const std::wstring& workingDirectory,
                        const std::vector<std::wstring>& environment);
    void WriteDebugFooter();

private:
    const wchar_t* HostName() const { return hostName.empty() ? L"Tarnwick" : hostName.c_str(); }
    // Hands text to the logger, the window only; false when there is none.
    bool Tell(const wchar_t* text) {
        return logger.With([text](util::logging::ILogger& target) { target.Log(text); });
    }

    GuardedPointer<util::logging::ILogger> logger;  // the logger is not owned
    std::wstring hostName;
    RunLog runLog;
};
