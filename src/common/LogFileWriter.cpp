#include "common/LogFileWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "util/Platform.h"
#include "util/TextScan.h"

LogFileWriter::LogFileWriter(IFileWriter& files,
                             const std::wstring& path,
                             uint64_t maxBytes,
                             uint32_t backups,
                             Reporter reporter)
    : files(files),
      path(path),
      maxBytes(maxBytes),
      backups(backups),
      reporter(std::move(reporter)),
      pendingArrival(),
      writeReported(false),
      renameReported(false),
      rotateFrom(maxBytes),
      buffered(0),
      openFailed(false),
      shownLines(SIZE_MAX),
      console(shownLines),
      stampTime() {}

LogFileWriter::~LogFileWriter() {
    Flush();
    files.Close();
}

std::string LogFileWriter::Stamp(const LocalTime& t) {
    char text[40];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d.%03d ", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.millisecond);
    return text;
}

std::wstring LogFileWriter::BackupName(const std::wstring& path, uint32_t number) {
    size_t folder = path.find_last_of(L"\\/");
    size_t dot = path.rfind(L'.');
    std::wstring suffix = L"." + std::to_wstring(number);
    // Only a dot in the file name starts its extension, and a name that starts with one has none.
    if (dot == std::wstring::npos || (folder != std::wstring::npos && dot <= folder + 1) || dot == 0) {
        return path + suffix;
    }
    return path.substr(0, dot) + suffix + path.substr(dot);
}

std::wstring LogFileWriter::Overstruck(const std::wstring& line) {
    // The window replaces the whole line when text follows a bare return (a progress line that
    // grows shorter leaves nothing of its longer self), and a return with nothing after it
    // changes nothing; the log shows the line as the window does.
    size_t end = line.size();
    while (end > 0) {
        size_t start = line.rfind(L'\r', end - 1);
        size_t from = start == std::wstring::npos ? 0 : start + 1;
        if (from < end) {
            return line.substr(from, end - from);
        }
        if (start == std::wstring::npos) {
            break;
        }
        end = start;
    }
    return std::wstring();
}

void LogFileWriter::Append(const std::wstring& text, const LocalTime& arrival, bool writeNow) {
    AppendWide(text.data(), text.size(), arrival);
    if (writeNow) {
        FlushBuffer();
    }
}

void LogFileWriter::AppendAscii(const char* text, size_t count, const LocalTime& arrival, bool writeNow) {
    size_t at = 0;
    while (at < count) {
        if (pending.empty()) {
            at += AppendPlainLines(text + at, count - at, StampOf(arrival));
            if (at == count) {
                break;
            }
        }
        // One pass finds both the line's end and whether it is plain: a line feed is not plain.
        size_t length = pending.empty() ? TextScan::PlainAsciiLength(text + at, count - at) : 0;
        size_t end = at + length;
        bool crlf = end + 1 < count && text[end] == '\r' && text[end + 1] == '\n';
        if (pending.empty() && end < count && (text[end] == '\n' || crlf)) {
            Emit(StampOf(arrival), text + at, length);  // the usual line: no copy, no widening
            at = end + (crlf ? 2 : 1);
            continue;
        }
        // A line begun in an earlier piece, cut by this piece's end, or holding controls.
        const void* found = std::memchr(text + end, '\n', count - end);
        size_t through = found ? static_cast<size_t>(static_cast<const char*>(found) - text) + 1 : count;
        widened.assign(text + at, text + through);
        AppendWide(widened.data(), widened.size(), arrival);
        at = through;
    }
    if (writeNow) {
        FlushBuffer();
    }
}

size_t LogFileWriter::AppendPlainLines(const char* text, size_t count, const std::string& prefix) {
    // A flood is millions of short lines: each is copied once, scanned on the way, with no call
    // per line. Whatever is not the usual line (a control, a line cut by the piece's end, one
    // that needs the file rotated first) is left to the caller.
    if (maxBytes > 0 && !files.IsOpen()) {
        return 0;  // the first record opens the file
    }
    uint64_t fileSize = maxBytes > 0 ? files.Size() : 0;
    size_t at = 0;
    while (at < count) {
        // Room for one line, not for the rest of the piece: a piece of megabytes would otherwise
        // size the buffer to itself, and FlushBuffer frees a buffer that large at every write.
        // A line longer than the window takes the careful way.
        size_t window = std::min(count - at, WriteChunk / 2);
        size_t most = prefix.size() + window + 2;
        if (buffer.size() - buffered < most) {
            buffer.resize(std::max(buffered + most, WriteChunk + 4096));
        }
        char* out = buffer.data() + buffered;
        size_t length = TextScan::CopyPlainAscii(text + at, window, out + prefix.size());
        size_t end = at + length;
        size_t ending = 0;
        if (end < count && text[end] == '\n') {
            ending = 1;
        } else if (end + 1 < count && text[end] == '\r' && text[end + 1] == '\n') {
            ending = 2;
        }
        size_t size = prefix.size() + length + 2;
        if (ending == 0 || (maxBytes > 0 && fileSize + buffered + size > rotateFrom)) {
            break;
        }
        std::memcpy(out, prefix.data(), prefix.size());
        out[size - 2] = '\r';
        out[size - 1] = '\n';
        buffered += size;
        at = end + ending;
        if (buffered >= WriteChunk) {
            FlushBuffer();
            fileSize = maxBytes > 0 && files.IsOpen() ? files.Size() : 0;
        }
    }
    return at;
}

void LogFileWriter::AppendWide(const wchar_t* text, size_t count, const LocalTime& arrival) {
    size_t at = 0;
    while (at < count) {
        const wchar_t* found = std::wmemchr(text + at, L'\n', count - at);
        if (!found) {
            if (pending.empty()) {
                pendingArrival = arrival;
            }
            pending.append(text + at, count - at);
            BoundPending(arrival);
            break;
        }
        size_t end = static_cast<size_t>(found - text);
        if (pending.empty()) {
            Complete(text + at, end - at, arrival);  // most lines come whole: no copy
        } else {
            pending.append(text + at, end - at);
            std::wstring line;
            line.swap(pending);
            Complete(line.data(), line.size(), pendingArrival);
        }
        at = end + 1;
    }
}

void LogFileWriter::BoundPending(const LocalTime& arrival) {
    if (pending.size() <= PendingBound) {
        return;
    }
    // A progress line rewritten for hours: what it shows so far, then the text after its last
    // return, which replaces it once text follows.
    size_t lastReturn = pending.rfind(L'\r');
    if (lastReturn != std::wstring::npos && lastReturn > 0) {
        std::wstring shown = Overstruck(pending.substr(0, lastReturn));
        shown.append(pending, lastReturn, std::wstring::npos);
        pending.swap(shown);
    }
    // Half the bound at most is kept, so that carrying out the returns again waits for as much
    // new text. A return at the end is the line's end when a line feed follows: the line waits
    // for the next piece whole (the returns carried out, it holds no more than one piece after
    // the bound). The first half of a surrogate pair waits for its second.
    wchar_t last = pending.back();
    if (pending.size() <= PendingBound / 2 || last == L'\r') {
        return;
    }
    size_t keep = last >= 0xD800 && last < 0xDC00 ? 1 : 0;
    std::wstring line = pending.substr(0, pending.size() - keep);
    pending.erase(0, line.size());
    Complete(line.data(), line.size(), pendingArrival);
    pendingArrival = arrival;
}

void LogFileWriter::Flush() {
    if (!pending.empty()) {
        std::wstring line;
        line.swap(pending);
        Complete(line.data(), line.size(), pendingArrival);
    }
    FlushBuffer();
}

void LogFileWriter::WriteLine(const std::wstring& text, const LocalTime& arrival) {
    Flush();
    Append(text, arrival);
    Flush();
}

const std::string& LogFileWriter::StampOf(const LocalTime& time) {
    const LocalTime& last = stampTime;
    if (stamp.empty() || last.millisecond != time.millisecond || last.second != time.second ||
        last.minute != time.minute || last.hour != time.hour || last.day != time.day || last.month != time.month ||
        last.year != time.year) {
        stamp = Stamp(time);
        stampTime = time;
    }
    return stamp;
}

void LogFileWriter::Encode(const wchar_t* line, size_t count) {
    encoded.resize(count);
    if (count == 0 || TextScan::NarrowPlainLine(line, count, &encoded[0])) {
        return;
    }
    std::wstring shown = Shown(line, count);
    encoded = platform::WideToUtf8(shown.data(), shown.size());
}

std::wstring LogFileWriter::Shown(const wchar_t* line, size_t count) {
    // Each line on its own: a line feed ends any sequence and return the console had begun, so
    // nothing of one line's codes reaches the next but its colours, which the file has none of.
    shownLines.Clear();
    console.Reset();
    std::wstring cleaned;
    if (util::ConsoleInterpreter::DropOwnTextMarks(std::wstring(line, count).c_str(), cleaned)) {
        console.Write(cleaned, 0);
    } else {
        console.Write(line, count, 0);
    }
    std::wstring shown = shownLines.AllTextWithTabs();  // a long line's continuations joined
    shownLines.Clear();
    return shown;
}

void LogFileWriter::Complete(const wchar_t* line, size_t count, const LocalTime& arrival) {
    if (count > 0 && line[count - 1] == L'\r') {
        --count;
    }
    Encode(line, count);
    Emit(StampOf(arrival), encoded.data(), encoded.size());
}

void LogFileWriter::Emit(const std::string& prefix, const char* text, size_t count) {
    // A line that a file of maxBytes cannot hold is split, at a character's start.
    size_t room = count;
    if (maxBytes > 0 && maxBytes < prefix.size() + 2 + count) {
        room = static_cast<size_t>(maxBytes) - prefix.size() - 2;
    }
    size_t at = 0;
    do {
        size_t end = count - at > room ? at + room : count;
        while (end < count && end > at && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            --end;
        }
        Record(prefix, text + at, end - at);
        at = end;
    } while (at < count);
}

bool LogFileWriter::EnsureOpen() {
    if (files.IsOpen()) {
        return true;
    }
    std::wstring error;
    if (files.Open(path, error)) {
        return true;
    }
    openFailed = true;
    ReportOnce(writeReported, L"cannot write " + path, error);
    return false;
}

void LogFileWriter::Record(const std::string& prefix, const char* text, size_t count) {
    size_t size = prefix.size() + count + 2;
    // A file that would not open is tried again at the next write, not at every line: each try
    // costs the system a folder and a file lookup, and a flood has millions of lines.
    if (maxBytes > 0 && !openFailed && EnsureOpen() && files.Size() + buffered > 0 &&
        files.Size() + buffered + size > rotateFrom) {
        FlushBuffer();
        Rotate();
    }
    if (buffer.size() < buffered + size) {
        buffer.resize(std::max(buffered + size, WriteChunk + 4096));
    }
    // Straight into place: a flood is millions of short lines, and appending piece by piece
    // costs more than the copying does.
    char* out = buffer.data() + buffered;
    std::memcpy(out, prefix.data(), prefix.size());
    std::memcpy(out + prefix.size(), text, count);
    out[size - 2] = '\r';
    out[size - 1] = '\n';
    buffered += size;
    if (buffered >= WriteChunk) {
        FlushBuffer();
    }
}

void LogFileWriter::FlushBuffer() {
    openFailed = false;
    if (buffered == 0 || !EnsureOpen()) {
        buffered = 0;  // a file that cannot be opened loses the lines, reported once
        return;
    }
    std::wstring error;
    if (!files.Write(buffer.data(), buffered, error)) {
        ReportOnce(writeReported, L"cannot write " + path, error);
    }
    buffered = 0;
    // On a busy machine the threads that bring the output (the child, its reader, under Wine
    // the server) go first after each write: a writer behind is held up only by a queue with
    // room to spare, while any time they wait holds the child back.
    std::this_thread::yield();
    if (buffer.size() > 2 * WriteChunk) {
        std::vector<char>().swap(buffer);  // one very long line must not keep its room
    }
}

bool LogFileWriter::Move(const std::wstring& from, const std::wstring& to, Moves& moved, std::wstring& error) {
    if (!files.Rename(from, to, error)) {
        return false;
    }
    moved.emplace_back(from, to);
    return true;
}

bool LogFileWriter::MoveAside(const std::wstring& from, const std::wstring& base, Moves& moved, std::wstring& error) {
    // A name left by a rotation cut short, or still held by a viewer after its delete, is taken:
    // the next one is tried rather than let one stray file stop every rotation.
    for (int n = 1; n <= AsideNames; ++n) {
        if (Move(from, n == 1 ? base : base + L"." + std::to_wstring(n), moved, error)) {
            return true;
        }
    }
    return false;
}

void LogFileWriter::Rotate() {
    files.Close();
    // Every rename goes to a name that is free: a rename over an existing file makes some file
    // systems write the renamed file out at once (a guard for programs that replace files that
    // way), which in a flood means writing every backup to disk only to delete it soon after.
    // The current file moves aside first (while another program holds it, no backup is
    // touched), then the oldest backup, which is deleted only once every other move is done. A
    // move that fails undoes those before it, so that a failed rotation loses nothing.
    Moves moved;
    std::wstring error;
    std::wstring ignored;
    // What a cut rotation left of the oldest backup is older than every backup kept.
    for (int n = 1; n <= AsideNames; ++n) {
        const std::wstring expired = path + L".expired" + (n == 1 ? L"" : L"." + std::to_wstring(n));
        if (files.Exists(expired)) {
            files.Remove(expired, ignored);
        }
    }
    bool done = MoveAside(path, path + L".rotating", moved, error);
    if (done && backups == 0) {
        done = files.Remove(moved.back().second, error);
    } else if (done) {
        const std::wstring aside = moved.back().second;
        // The backups from number 1 up to the first gap move up one; without a gap the oldest goes.
        uint32_t gap = 1;
        while (gap <= backups && files.Exists(BackupName(path, gap))) {
            ++gap;
        }
        if (gap > backups) {
            gap = backups;
            done = MoveAside(BackupName(path, backups), path + L".expired", moved, error);
        }
        for (uint32_t n = gap - 1; done && n >= 1; --n) {
            done = Move(BackupName(path, n), BackupName(path, n + 1), moved, error);
        }
        done = done && Move(aside, BackupName(path, 1), moved, error);
    }
    if (done) {
        if (moved.size() > 1 && moved[1].first == BackupName(path, backups)) {
            files.Remove(moved[1].second, ignored);
        }
        rotateFrom = maxBytes;
        return;
    }
    // Newest first, each tried: renames never replace a file, so an undo that cannot be done
    // harms none of the others, and the current file gets its name back whatever else failed.
    for (auto back = moved.rbegin(); back != moved.rend(); ++back) {
        files.Rename(back->second, back->first, ignored);
    }
    // Write on to the current file, and try again once it has grown by as much again rather than
    // at every line.
    ReportOnce(renameReported, L"cannot rotate " + path, error);
    if (EnsureOpen()) {
        rotateFrom = files.Size() + maxBytes;
    }
}

void LogFileWriter::ReportOnce(bool& reported, const std::wstring& what, const std::wstring& error) {
    if (reported) {
        return;
    }
    reported = true;
    if (reporter) {
        reporter(L"Log file: " + what + L": " + error);
    }
}
