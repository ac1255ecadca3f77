// Times the class path scan of a program folder: 300 jars, whose class path fits in one variable,
// and 3,600 jars, whose class path does not and is refused. Median of five scans each, in ms.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/JavaProcess.h"

namespace {

// folder\lib00\library-0000.jar ..., count jars in folders of 100.
void MakeJars(const std::wstring& folder, int count) {
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int i = 0; i < count; ++i) {
        wchar_t sub[16];
        swprintf(sub, 16, L"\\lib%02d", i / 100);
        std::wstring directory = folder + sub;
        CreateDirectoryW(directory.c_str(), nullptr);
        wchar_t name[32];
        swprintf(name, 32, L"\\library-%04d.jar", i);
        HANDLE file = CreateFileW((directory + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
    }
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            std::wstring path = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// Median milliseconds of five scans of the folder, and the outcome of the last.
double MedianScanMs(const std::wstring& folder, ClassPathScan::Outcome& outcome) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        java::JavaProcess process;
        process.SetProgramFolder(folder.c_str());
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        outcome = process.BuildClasspath([] { return false; });
        QueryPerformanceCounter(&end);
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    fwprintf(stderr, L"%ls: %.1f .. %.1f ms\n", folder.c_str(), times.front(), times.back());
    return times[times.size() / 2];
}

}  // namespace

int wmain() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring root = std::wstring(temp) + L"tarnwick-bench-classpath-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(root.c_str(), nullptr);
    MakeJars(root + L"\\fits", 300);
    MakeJars(root + L"\\refused", 3600);
    ClassPathScan::Outcome fits = ClassPathScan::Outcome::Complete;
    ClassPathScan::Outcome refused = ClassPathScan::Outcome::Complete;
    double fitsMs = MedianScanMs(root + L"\\fits", fits);
    double refusedMs = MedianScanMs(root + L"\\refused", refused);
    RemoveTree(root);
    wprintf(L"classpath_scan_ms: %.1f%ls\n", fitsMs,
            fits == ClassPathScan::Outcome::Complete ? L"" : L" (not complete)");
    wprintf(L"classpath_refusal_ms: %.1f%ls\n", refusedMs,
            refused == ClassPathScan::Outcome::TooLong ? L"" : L" (not refused)");
    return 0;
}
