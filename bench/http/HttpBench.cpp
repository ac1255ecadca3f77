// Downloads a 100 MB body, sized and chunked, from a server in this process, and compares the
// client's time with a plain socket read of the same bytes in the same run. Prints
//   http_sized_ratio: X    (plain read time / client time, sized body; 1 = as fast)
//   http_chunked_ratio: X  (the same for the chunked body)
//   http_peak_mb: X        (peak working set the downloads into memory added, in MB)
//   http_download_peak_mb: X (the same for a download into a file, the larger of sized and chunked)
// The plain read keeps the bytes in one buffer of the body's size, since holding the body is
// part of any download into memory (where first touches of fresh memory are costly, they would
// otherwise dominate the ratio); TARNWICK_BENCH_VERBOSE=1 also shows the ratios to a plain read
// that drops the bytes.
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchServer.h"
#include "net/UsesWinsock.h"
#include "net/http/HttpClient.h"
#include "util/Exception.h"

namespace {

const uint32_t kBodySize = 100u * 1024u * 1024u;
const int kRounds = 3;

// The timings behind the figures, on standard error when TARNWICK_BENCH_VERBOSE is set.
void Detail(const char* format, ...) {
    if (!std::getenv("TARNWICK_BENCH_VERBOSE")) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

double Seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

// Reads the whole reply with plain recv calls. With keep, straight into one buffer of the reply's
// size: the cheapest way to hold a download in memory, which the client must do as well.
double PlainRead(int port, const char* path, bool keep) {
    static char scratch[61440];
    char* kept = keep ? static_cast<char*>(std::malloc(kBodySize + kBodySize / 32)) : nullptr;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    std::string request = std::string("GET ") + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: Close\r\n\r\n";
    send(s, request.data(), static_cast<int>(request.size()), 0);
    uint64_t total = 0;
    for (int n; (n = recv(s, kept ? kept + total : scratch, sizeof(scratch), 0)) > 0;) {
        total += static_cast<uint64_t>(n);
    }
    closesocket(s);
    QueryPerformanceCounter(&end);
    std::free(kept);
    if (total < kBodySize) {
        std::fprintf(stderr, "plain read of %s got only %llu bytes\n", path, static_cast<unsigned long long>(total));
    }
    return Seconds(start, end);
}

double ClientRead(int port, const wchar_t* path) {
    std::wstring url = L"http://127.0.0.1:" + std::to_wstring(port) + path;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    net::http::HttpClient client;
    net::http::HttpRequest request;
    net::http::HttpResponse response;
    int status = 0;
    int result = client.SendCommand(url.c_str(), net::http::HttpClient::GET, request, response, &status);
    QueryPerformanceCounter(&end);
    if (result != 1 || response.GetBody().GetSize() != kBodySize) {
        std::fprintf(stderr, "client read of %ls failed: result %d, status %d, %u bytes\n", path, result, status,
                     response.GetBody().GetSize());
    }
    return Seconds(start, end);
}

// Downloads path into a file beside the benchmark, which is removed afterwards.
void FileRead(int port, const wchar_t* path) {
    std::wstring url = L"http://127.0.0.1:" + std::to_wstring(port) + path;
    wchar_t folder[MAX_PATH];
    wchar_t file[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"tnk", 0, file);
    net::http::HttpClient client;
    int result = client.GetToFile(url.c_str(), file);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(file, GetFileExInfoStandard, &data);
    if (result != 1 || data.nFileSizeLow != kBodySize) {
        std::fprintf(stderr, "download of %ls into a file failed: result %d, %lu bytes\n", path, result,
                     data.nFileSizeLow);
    }
    DeleteFileW(file);
}

SIZE_T WorkingSet(bool peak) {
    PROCESS_MEMORY_COUNTERS counters;
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

struct Times {
    double discard = 1e9;  // plain read, bytes dropped
    double keep = 1e9;     // plain read, bytes kept once
    double client = 1e9;
};

// The best of a few rounds of each, so that a hiccup of the machine does not decide.
Times Measure(int port, const char* plainPath, const wchar_t* clientPath) {
    Times best;
    for (int round = 0; round < kRounds; ++round) {
        best.discard = std::min(best.discard, PlainRead(port, plainPath, false));
        best.keep = std::min(best.keep, PlainRead(port, plainPath, true));
        best.client = std::min(best.client, ClientRead(port, clientPath));
    }
    Detail("%ls: plain read %.3f s (bytes dropped) / %.3f s (bytes kept), client %.3f s\n", clientPath,
                 best.discard, best.keep, best.client);
    return best;
}

}  // namespace

int main() {
    try {
        net::UsesWinsock winsock;
        BenchServer server(kBodySize);
        // Downloads into files first, each from its own baseline: the peak only ever grows, so
        // the downloads into memory come after them.
        double downloadPeakMb = 0;
        for (const wchar_t* path : {L"/sized", L"/chunked"}) {
            SIZE_T before = WorkingSet(false);
            FileRead(server.Port(), path);
            downloadPeakMb = std::max(downloadPeakMb, double(WorkingSet(true) - before) / (1024.0 * 1024.0));
        }
        // The peak is taken over client downloads only: the plain reads that keep their bytes
        // would otherwise set it.
        SIZE_T baseline = WorkingSet(false);
        ClientRead(server.Port(), L"/sized");
        ClientRead(server.Port(), L"/chunked");
        double peakMb = double(WorkingSet(true) - baseline) / (1024.0 * 1024.0);
        Times sized = Measure(server.Port(), "/sized", L"/sized");
        Times chunked = Measure(server.Port(), "/chunked", L"/chunked");
        Detail("ratios to a plain read that drops the bytes: sized %.2f, chunked %.2f\n",
                     sized.discard / sized.client, chunked.discard / chunked.client);
        std::printf("http_sized_ratio: %.2f\n", sized.keep / sized.client);
        std::printf("http_chunked_ratio: %.2f\n", chunked.keep / chunked.client);
        std::printf("http_peak_mb: %.0f\n", peakMb);
        std::printf("http_download_peak_mb: %.1f\n", downloadPeakMb);
        return 0;
    } catch (Exception* e) {
        std::fprintf(stderr, "%ls\n", e->GetMessageText().GetBuffer());
        delete e;
        return 1;
    }
}
