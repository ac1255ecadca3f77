// The log as Windows builds keep it: files on disk, stamped with the local time.
#include "common/RunLog.h"

#include <windows.h>

#include "common/Win32FileWriter.h"

RunLog::RunLog()
    : RunLog([] { return std::unique_ptr<IFileWriter>(new Win32FileWriter()); }, &RunLog::Now, QueueUnits) {}

LogFileWriter::LocalTime RunLog::Now() {
    SYSTEMTIME time = {};
    GetLocalTime(&time);
    return LogFileWriter::LocalTime{time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                                    time.wMinute, time.wSecond, time.wMilliseconds};
}
