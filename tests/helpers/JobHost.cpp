// Stands in for Tarnwick in the job tests: runs three processes, each the probe with the given
// commands ("spawn 1 60000" by default), prints "ready" once all three have their child, then
// waits to be killed.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "common/Process.h"

int wmain(int argc, wchar_t** argv) {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring directory(self, n);
    directory = directory.substr(0, directory.find_last_of(L"\\/") + 1);
    std::unique_ptr<Process> runs[3];
    for (auto& run : runs) {
        run.reset(new Process());
        run->SetExecutable((directory + L"ProcessProbe.exe").c_str());
        run->SetArguments(argc > 1 ? argv[1] : L"spawn 1 60000");
        run->Start();
    }
    for (auto& run : runs) {
        while (run->GetChildProcessId() == 0) {
            Sleep(10);
        }
    }
    printf("ready\n");
    fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
