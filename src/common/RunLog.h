#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "common/LogFileWriter.h"
#include "common/Win32FileWriter.h"

// The log file of a process's runs. Text handed to it (by the worker for output, by the window's
// thread for a stop's lines) is stamped with its arrival time and queued; a thread of its own
// writes it, so the reader is held back only when the disk falls behind by more than the queue.
class RunLog {
public:
    using Reporter = LogFileWriter::Reporter;

    // Units of text queued before Append waits for the writer.
    static constexpr size_t QueueUnits = 4u << 20;

    RunLog();
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Where text goes from now on ("" for nowhere); the open file stays when nothing changed.
    // What was queued before goes to the file it was meant for. reporter receives the writer's
    // failures, for the window, on the writer's thread.
    void Configure(const std::wstring& path, uint64_t maxBytes, uint32_t backups, Reporter reporter);
    // Output, pieces of lines included.
    void Append(const wchar_t* text);
    // Ends a line left open (the run is over).
    void Flush();

    static LogFileWriter::LocalTime Now();

private:
    struct Piece {
        std::wstring text;
        LogFileWriter::LocalTime arrival;
        bool flush;
    };

    void Enqueue(Piece piece);
    void Write();
    // Lets the writer finish what is queued and end; the lock is not held.
    void StopWriter();

    std::mutex lock;
    std::condition_variable work;   // something is queued, or the writer is to end
    std::condition_variable space;  // the writer took what was queued
    std::deque<Piece> queue;
    size_t queuedUnits;
    bool ending;
    std::wstring path;
    uint64_t maxBytes;
    uint32_t backups;
    std::unique_ptr<Win32FileWriter> files;
    std::unique_ptr<LogFileWriter> writer;
    std::thread thread;
};
