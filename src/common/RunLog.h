#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/IFileWriter.h"
#include "common/LogFileWriter.h"

// The log file of a process's runs. Text handed to it (by the worker for output, by other threads
// for a stop's lines) is stamped with its arrival time and queued; a thread of its own writes it,
// so the reader is held back only when the disk falls behind by more than the queue.
// A change of file travels through the same queue: the writer thread switches files in order
// with the text, and whoever asks for the change never waits for the disk.
class RunLog {
public:
    using Reporter = LogFileWriter::Reporter;
    // Makes the files a log writes to, one set per configured file.
    using FileFactory = std::function<std::unique_ptr<IFileWriter>()>;
    using Clock = std::function<LogFileWriter::LocalTime()>;

    // Units of text queued before Append waits for the writer.
    static constexpr size_t QueueUnits = 4u << 20;
    // How long the writer lets output gather once it is woken, at most.
    static constexpr std::chrono::milliseconds GatherTime{10};
    // How long the output is quiet before the writer gives back the room a flood took.
    static constexpr std::chrono::seconds IdleTime{2};

    // Files on disk, stamped with the local time (Windows builds).
    RunLog();
    RunLog(FileFactory files, Clock clock, size_t queueUnits);
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Where text goes from now on ("" for nowhere); the open file stays when nothing changed.
    // What was queued before goes to the file it was meant for. reporter receives the writer's
    // failures, for the window, on the writer's thread. Returns at once, whatever the disk does.
    void Configure(const std::wstring& path, uint64_t maxBytes, uint32_t backups, Reporter reporter);
    // Output, pieces of lines included. A child's output waits for room in the queue, which holds
    // the child back to the disk's pace, until giveUp says the wait is pointless (its run has been
    // ended: what is left of its output is small). The program's own lines never wait: they come
    // from threads that must not hang on a stuck disk, and they are few.
    void Append(const wchar_t* text, bool waitForRoom = true);
    // The same for output that is all ASCII bytes, which the file takes without widening.
    void AppendAscii(const char* bytes, size_t count);
    // The same for bytes that lie in block, the reader's buffer: a block they mostly fill is
    // taken as it is, and block becomes one the log has done with (or an empty one). A flood
    // moves gigabytes through here, and a copy of every read holds the reader back.
    void AppendAscii(std::vector<char>& block, const char* bytes, size_t count);
    // Asked while text waits for room; true lets it go into the queue at once.
    void SetGiveUp(std::function<bool()> check);
    // Ends a line left open (the run is over).
    void Flush();

    static LogFileWriter::LocalTime Now();

private:
    struct Target {
        std::wstring path;
        uint64_t maxBytes;
        uint32_t backups;
        Reporter reporter;
    };
    struct Piece {
        enum Kind { Text, Ascii, EndLine, Switch } kind;
        std::wstring text;
        LogFileWriter::LocalTime arrival;
        std::shared_ptr<const Target> target;  // for Switch; null for nowhere
        size_t count;                          // for Ascii: how many bytes
        // For Ascii: the reader's block that holds the bytes, from offset; when it is empty the
        // bytes are the next count in the queue's bytes.
        std::vector<char> block;
        size_t offset;
    };

    // bytes are an Ascii piece's (count of them), copied into the queue's bytes, or taken with
    // the block that holds them.
    void Enqueue(Piece piece, bool waitForRoom, const char* bytes = nullptr, std::vector<char>* block = nullptr);
    // A piece costs its own record too: a child writing a byte at a time must not queue millions.
    static size_t UnitsOf(const Piece& piece) { return piece.text.size() + piece.count + sizeof(Piece); }
    // at is where piece's bytes start in taken bytes; moves it past them.
    void WritePiece(const Piece& piece, size_t& at);
    // Keeps the taken pieces' blocks for the reader, as many as the queue could hold.
    void KeepBlocks();
    void Write();
    // On the writer thread: closes the file written so far and opens target's.
    void SwitchTo(const std::shared_ptr<const Target>& target);

    const FileFactory makeFiles;
    const Clock clock;
    const size_t queueUnits;
    std::function<bool()> giveUp;  // set before the first run
    std::mutex lock;
    std::condition_variable work;   // something is queued, or the writer is to end
    std::condition_variable space;  // the writer took what was queued
    // The queue and the bytes of its Ascii pieces, in order. The writer swaps them with its own,
    // emptied but with their room kept: a flood moves gigabytes through here, and memory taken
    // afresh for each read costs the system a page fault per page.
    std::vector<Piece> queue;
    std::string queueBytes;
    size_t queuedUnits;
    // Blocks written out, for the reader to read into again; spareBytes is their room in all.
    std::vector<std::vector<char>> spareBlocks;
    size_t spareBytes;
    bool roomKept;  // the writer has taken pieces since it last gave back their room
    bool closing;
    bool writerWaiting;  // the writer sleeps on work: only then does a piece need to wake it
    std::shared_ptr<const Target> configured;  // the last file asked for, as the queue will have it
    // Whether configured names a file, read without the lock: output with nowhere to go is not
    // even copied (most runs have no log file, and this is on the reader's path for every read).
    std::atomic<bool> logging{false};
    // Used by the writer thread only.
    std::unique_ptr<IFileWriter> files;
    std::unique_ptr<LogFileWriter> writer;
    std::vector<Piece> taken;
    std::string takenBytes;
    std::thread thread;
};
