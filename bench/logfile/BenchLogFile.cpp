// Measures output capture with a rotating log file against the same capture without one, and
// checks that the files kept hold every line since the oldest one kept. Prints "name: value" lines.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/LogFileWriter.h"
#include "common/Process.h"
#include "util/TextScan.h"

namespace {

const long long FloodLines = 200LL * 1024 * 1024 / 64;  // 200 MB

std::wstring BesideUs(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path, n);
    return full.substr(0, full.find_last_of(L"\\/") + 1) + name;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

class FooterLogger : public util::logging::ILogger {
public:
    FooterLogger() : footer(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~FooterLogger() override { CloseHandle(footer); }
    void Log(const wchar_t* text) override {
        units += static_cast<long long>(TextScan::WideLength(text));
        if (text[0] == L'\r' && wcsstr(text, L"Debug Info ----\r\n")) {
            SetEvent(footer);
        }
    }
    std::atomic<long long> units{0};
    HANDLE footer;
};

// Units per second of one run of the flood, with a log file at logPath when it is not empty.
double Capture(const std::wstring& logPath) {
    FooterLogger logger;
    Process process;
    process.SetLogger(&logger);
    process.SetExecutable(BesideUs(L"bench_sequence_flood.exe").c_str());
    process.SetArguments(std::to_wstring(FloodLines).c_str());
    LogSettings log;
    log.maxBytes = 10LL * 1024 * 1024;
    log.backups = 3;
    process.SetLogFile(logPath, log);
    LARGE_INTEGER start = Now();
    process.Start();
    WaitForSingleObject(logger.footer, INFINITE);
    LARGE_INTEGER end = Now();
    return static_cast<double>(logger.units.load()) / Seconds(start, end);
}

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    std::vector<char> buffer(1 << 20);
    DWORD read = 0;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0) {
        bytes.append(buffer.data(), read);
    }
    CloseHandle(file);
    return bytes;
}

// Gaps in the sequence numbers of the flood's lines across the files kept, oldest first, plus 1
// when the flood's last line is missing.
int LinesLost(const std::wstring& logPath) {
    std::vector<long long> numbers;
    for (int n = 3; n >= 0; --n) {
        std::string text = ReadAll(n == 0 ? logPath : LogFileWriter::BackupName(logPath, static_cast<uint32_t>(n)));
        for (size_t at = 0; at < text.size();) {
            size_t end = text.find("\r\n", at);
            end = end == std::string::npos ? text.size() : end;
            // "yyyy-mm-dd hh:mm:ss.mmm " then the child's line: ten digits and a blank.
            if (end - at >= 24 + 63 && text[at + 24 + 10] == ' ' && text[at + 24] >= '0' && text[at + 24] <= '9') {
                numbers.push_back(std::atoll(text.substr(at + 24, 10).c_str()));
            }
            at = end + 2;
        }
    }
    int lost = numbers.empty() || numbers.back() != FloodLines - 1 ? 1 : 0;
    for (size_t i = 1; i < numbers.size(); ++i) {
        lost += numbers[i] != numbers[i - 1] + 1 ? 1 : 0;
    }
    return lost;
}

void RemoveLogs(const std::wstring& logPath) {
    DeleteFileW(logPath.c_str());
    for (uint32_t n = 1; n <= 4; ++n) {
        DeleteFileW(LogFileWriter::BackupName(logPath, n).c_str());
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring logPath = std::wstring(temp) + L"tarnwick-bench\\flood.log";
    std::vector<double> ratios;
    int lost = 0;
    // Rounds with and without the log file alternate, and so does which of a pair goes first;
    // the median of the pairs' ratios.
    for (int round = 0; round < 11; ++round) {
        double plain = 0, logged = 0;
        RemoveLogs(logPath);
        if (round % 2 == 0) {
            plain = Capture(std::wstring());
            logged = Capture(logPath);
        } else {
            logged = Capture(logPath);
            plain = Capture(std::wstring());
        }
        lost = std::max(lost, LinesLost(logPath));
        ratios.push_back(plain > 0 ? logged / plain : 0);
        fprintf(stderr, "bench_logfile: round %d: %.1f MB/s plain, %.1f MB/s logged\n", round, plain / 1048576.0,
                logged / 1048576.0);
    }
    RemoveLogs(logPath);
    std::sort(ratios.begin(), ratios.end());
    fprintf(stderr, "bench_logfile: ratios %.3f to %.3f\n", ratios.front(), ratios.back());
    printf("log_capture_ratio: %.3f\n", Median(ratios));
    printf("log_lines_lost: %d\n", lost);
    return 0;
}
