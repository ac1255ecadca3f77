#include "common/RunLog.h"

#include <windows.h>

RunLog::RunLog() : queuedUnits(0), ending(false), maxBytes(0), backups(0) {}

RunLog::~RunLog() {
    StopWriter();
    writer.reset();  // before the files it writes to
    files.reset();
}

LogFileWriter::LocalTime RunLog::Now() {
    SYSTEMTIME time = {};
    GetLocalTime(&time);
    return LogFileWriter::LocalTime{time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                                    time.wMinute, time.wSecond, time.wMilliseconds};
}

void RunLog::StopWriter() {
    {
        std::lock_guard<std::mutex> hold(lock);
        ending = true;
    }
    work.notify_all();
    if (thread.joinable()) {
        thread.join();
    }
    std::lock_guard<std::mutex> hold(lock);
    ending = false;
}

void RunLog::Configure(const std::wstring& newPath, uint64_t newMaxBytes, uint32_t newBackups, Reporter reporter) {
    {
        std::lock_guard<std::mutex> hold(lock);
        if (newPath == path && newMaxBytes == maxBytes && newBackups == backups && (writer || path.empty())) {
            return;
        }
    }
    StopWriter();
    writer.reset();
    files.reset();
    std::lock_guard<std::mutex> hold(lock);
    path = newPath;
    maxBytes = newMaxBytes;
    backups = newBackups;
    if (!path.empty()) {
        files.reset(new Win32FileWriter());
        writer.reset(new LogFileWriter(*files, path, maxBytes, backups, reporter));
        thread = std::thread([this] { Write(); });
    }
}

void RunLog::Enqueue(Piece piece) {
    std::unique_lock<std::mutex> hold(lock);
    if (!writer) {
        return;
    }
    space.wait(hold, [this] { return queuedUnits < QueueUnits || ending; });
    queuedUnits += piece.text.size();
    queue.push_back(std::move(piece));
    hold.unlock();
    work.notify_one();
}

void RunLog::Append(const wchar_t* text) {
    if (text && *text) {
        Enqueue(Piece{text, Now(), false});
    }
}

void RunLog::Flush() {
    Enqueue(Piece{std::wstring(), LogFileWriter::LocalTime(), true});
}

void RunLog::Write() {
    std::deque<Piece> taken;
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(lock);
            work.wait(hold, [this] { return !queue.empty() || ending; });
            if (queue.empty()) {
                return;  // ending, with everything written
            }
            taken.swap(queue);
            queuedUnits = 0;
        }
        space.notify_all();
        // Only this thread uses the writer while it runs; Configure waits for it to end first.
        for (const Piece& piece : taken) {
            if (piece.flush) {
                writer->Flush();
            } else {
                writer->Append(piece.text, piece.arrival);
            }
        }
        taken.clear();
    }
}
