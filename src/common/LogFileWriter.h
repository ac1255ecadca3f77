#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/IFileWriter.h"
#include "util/ConsoleInterpreter.h"
#include "util/LineStore.h"

// Writes a run's output to its log file: one line at a time, each prefixed with the local time
// its first part arrived ("2026-12-07 15:04:05.123 "), as UTF-8 without a byte-order mark, lines
// ended by "\r\n". Each line reads as the window shows it: escape codes and control characters
// are carried out as a console would (util::ConsoleInterpreter), so a line rewritten by bare
// carriage returns is written once, as it ends up, and colour codes leave no trace.
// A line never ended (a program that writes no line feed) is not held without bound: past
// PendingBound units its rewrites are carried out, and what is still that long is written as a
// record of its own, the line going on in the next one.
//
// When a line would take the file past maxBytes, the file is rotated first: "server.log" becomes
// "server.1.log", "server.1.log" becomes "server.2.log" and so on, and the one past backups is
// replaced; a line longer than maxBytes on its own is split. A rename that fails leaves the
// current file growing and is reported once, and deletes no backup; a failed open or write is
// reported once as well.
// Free of Windows (files go through IFileWriter), tested natively.
class LogFileWriter {
public:
    struct LocalTime {
        int year, month, day, hour, minute, second, millisecond;
    };
    static const size_t PendingBound = 65536;
    // Records are written in pieces of about this size.
    static const size_t WriteChunk = 256 * 1024;
    // Receives one line for the run's window.
    using Reporter = std::function<void(const std::wstring& line)>;

    // files is not owned and must outlive the writer. maxBytes 0 never rotates.
    LogFileWriter(IFileWriter& files, const std::wstring& path, uint64_t maxBytes, uint32_t backups, Reporter reporter);
    ~LogFileWriter();
    LogFileWriter(const LogFileWriter&) = delete;
    LogFileWriter& operator=(const LogFileWriter&) = delete;

    // Takes a piece of output, which may end in the middle of a line; complete lines are written,
    // at once or, with writeNow false, when WriteBuffered is called or enough of them gathered.
    void Append(const std::wstring& text, const LocalTime& arrival, bool writeNow = true);
    // The same for output that is all ASCII bytes (most of it): lines of plain characters go to
    // the file without being widened first.
    void AppendAscii(const char* text, size_t count, const LocalTime& arrival, bool writeNow = true);
    // Writes the complete lines gathered so far.
    void WriteBuffered() { FlushBuffer(); }
    // Writes a line that was left without its end (at the end of a run).
    void Flush();
    // Writes text as one complete line (or several, at its line feeds) at once.
    void WriteLine(const std::wstring& text, const LocalTime& arrival);

    // "2026-12-07 15:04:05.123 "
    static std::string Stamp(const LocalTime& time);
    // The name of backup number n: "server.log", 2 -> "server.2.log" ("server" -> "server.2").
    static std::wstring BackupName(const std::wstring& path, uint32_t number);
    // What a line shows after its bare carriage returns: the text after the last return that
    // has any, as the window shows it.
    static std::wstring Overstruck(const std::wstring& line);

private:
    void AppendWide(const wchar_t* text, size_t count, const LocalTime& arrival);
    // Complete lines of plain bytes straight into the buffer, as many as come first and need no
    // rotation; returns how many bytes they took.
    size_t AppendPlainLines(const char* text, size_t count, const std::string& prefix);
    void Complete(const wchar_t* line, size_t count, const LocalTime& arrival);
    // One finished line of UTF-8, split into records when a file of maxBytes cannot hold it.
    void Emit(const std::string& prefix, const char* text, size_t count);
    // Keeps the part of a line still without its end within PendingBound (arrival: the newest part's).
    void BoundPending(const LocalTime& arrival);
    // line as UTF-8 into encoded, as the window shows it.
    void Encode(const wchar_t* line, size_t count);
    // Rare: a line with escape codes, control characters or text beyond ASCII, carried out.
    std::wstring Shown(const wchar_t* line, size_t count);
    const std::string& StampOf(const LocalTime& time);
    // Adds one record to the buffer, rotating first when it would take the file past its size.
    void Record(const std::string& prefix, const char* text, size_t count);
    // Writes the buffered records: once per piece of output, not once per line.
    void FlushBuffer();
    bool EnsureOpen();
    // The current file becomes backup 1, each backup the next number up, and the oldest goes.
    void Rotate();
    using Moves = std::vector<std::pair<std::wstring, std::wstring>>;  // renames done, to undo
    bool Move(const std::wstring& from, const std::wstring& to, Moves& moved, std::wstring& error);
    // Renames from to base, or to base.2 ... when that is taken.
    bool MoveAside(const std::wstring& from, const std::wstring& base, Moves& moved, std::wstring& error);
    static const int AsideNames = 4;
    void ReportOnce(bool& reported, const std::wstring& what, const std::wstring& error);

    IFileWriter& files;
    std::wstring path;
    uint64_t maxBytes;
    uint32_t backups;
    Reporter reporter;
    std::wstring pending;      // the part of a line that arrived without its end
    LocalTime pendingArrival;  // when pending's first part arrived
    bool writeReported;
    bool renameReported;
    uint64_t rotateFrom;       // the size past which a write rotates: maxBytes, more after a failed rename
    std::vector<char> buffer;  // records not yet written: the first buffered bytes
    size_t buffered;
    bool openFailed;             // since the last write: Record does not try again
    std::string encoded;         // the line being written, reused
    std::wstring widened;        // ASCII output taking the wide way, reused
    util::LineStore shownLines;  // what the console makes of one line, for Shown
    util::ConsoleInterpreter console;
    std::string stamp;  // the last time stamp made, for stampTime
    LocalTime stampTime;
};
