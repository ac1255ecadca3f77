#include "common/RunLog.h"

#include <windows.h>

RunLog::RunLog() : maxBytes(0), backups(0) {}

RunLog::~RunLog() {
    CriticalSection::Lock hold(lock);
    writer.reset();  // before the files it writes to
    files.reset();
}

LogFileWriter::LocalTime RunLog::Now() {
    SYSTEMTIME time = {};
    GetLocalTime(&time);
    return LogFileWriter::LocalTime{time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                                    time.wMinute, time.wSecond, time.wMilliseconds};
}

void RunLog::Configure(const std::wstring& newPath, uint64_t newMaxBytes, uint32_t newBackups, Reporter reporter) {
    CriticalSection::Lock hold(lock);
    if (writer && newPath == path && newMaxBytes == maxBytes && newBackups == backups) {
        return;
    }
    writer.reset();
    files.reset();
    path = newPath;
    maxBytes = newMaxBytes;
    backups = newBackups;
    if (!path.empty()) {
        files.reset(new Win32FileWriter());
        writer.reset(new LogFileWriter(*files, path, maxBytes, backups, reporter));
    }
}

bool RunLog::IsActive() {
    CriticalSection::Lock hold(lock);
    return writer != nullptr;
}

void RunLog::Append(const wchar_t* text) {
    CriticalSection::Lock hold(lock);
    if (writer && text) {
        writer->Append(text, Now());
    }
}

void RunLog::Flush() {
    CriticalSection::Lock hold(lock);
    if (writer) {
        writer->Flush();
    }
}
