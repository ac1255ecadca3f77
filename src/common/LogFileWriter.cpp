#include "common/LogFileWriter.h"

#include <cstdio>

#include "util/Platform.h"

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
      rotateFrom(maxBytes) {}

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
    std::wstring shown;
    size_t at = 0;
    for (;;) {
        size_t end = line.find(L'\r', at);
        std::wstring part = line.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
        shown = part.size() >= shown.size() ? part : part + shown.substr(part.size());
        if (end == std::wstring::npos) {
            return shown;
        }
        at = end + 1;
    }
}

void LogFileWriter::Append(const std::wstring& text, const LocalTime& arrival) {
    size_t at = 0;
    while (at < text.size()) {
        if (pending.empty()) {
            pendingArrival = arrival;
        }
        size_t end = text.find(L'\n', at);
        if (end == std::wstring::npos) {
            pending.append(text, at, std::wstring::npos);
            return;
        }
        pending.append(text, at, end - at);
        std::wstring line;
        line.swap(pending);
        Complete(line, pendingArrival);
        at = end + 1;
    }
}

void LogFileWriter::Flush() {
    if (!pending.empty()) {
        std::wstring line;
        line.swap(pending);
        Complete(line, pendingArrival);
    }
}

void LogFileWriter::WriteLine(const std::wstring& text, const LocalTime& arrival) {
    Flush();
    Append(text, arrival);
    Flush();
}

void LogFileWriter::Complete(const std::wstring& line, const LocalTime& arrival) {
    std::wstring shown = line;
    if (!shown.empty() && shown.back() == L'\r') {
        shown.pop_back();
    }
    shown = Overstruck(shown);
    const std::string stamp = Stamp(arrival);
    const std::string bytes = platform::WideToUtf8(shown.data(), shown.size());
    // A line that a file of maxBytes cannot hold is split, at a character's start.
    size_t room = bytes.size();
    if (maxBytes > 0 && maxBytes < stamp.size() + 2 + bytes.size()) {
        room = static_cast<size_t>(maxBytes) - stamp.size() - 2;
    }
    size_t at = 0;
    do {
        size_t end = bytes.size() - at > room ? at + room : bytes.size();
        while (end < bytes.size() && end > at && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80) {
            --end;
        }
        WriteBytes(stamp + bytes.substr(at, end - at) + "\r\n");
        at = end;
    } while (at < bytes.size());
}

bool LogFileWriter::EnsureOpen() {
    if (files.IsOpen()) {
        return true;
    }
    std::wstring error;
    if (files.Open(path, error)) {
        return true;
    }
    ReportOnce(writeReported, L"cannot write " + path, error);
    return false;
}

void LogFileWriter::WriteBytes(const std::string& record) {
    if (!EnsureOpen()) {
        return;
    }
    if (maxBytes > 0 && files.Size() > 0 && files.Size() + record.size() > rotateFrom) {
        Rotate();
        if (!EnsureOpen()) {
            return;
        }
    }
    std::wstring error;
    if (!files.Write(record.data(), record.size(), error)) {
        ReportOnce(writeReported, L"cannot write " + path, error);
    }
}

void LogFileWriter::Rotate() {
    files.Close();
    std::wstring error;
    bool moved = false;
    if (backups == 0) {
        moved = files.Remove(path, error);
    } else {
        std::wstring ignored;
        files.Remove(BackupName(path, backups), ignored);
        for (uint32_t n = backups - 1; n >= 1; --n) {
            if (files.Exists(BackupName(path, n))) {
                files.Rename(BackupName(path, n), BackupName(path, n + 1), ignored);
            }
        }
        moved = files.Rename(path, BackupName(path, 1), error);
    }
    if (moved) {
        rotateFrom = maxBytes;
        return;
    }
    // Another program holds the file: write on to it, and try again once it has grown by as much
    // again rather than at every line.
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
