// Stands in for Tarnwick in the job tests: runs three processes, each the probe with
// "spawn 1 60000", then waits to be killed.
#include <windows.h>

#include <string>

#include "common/Process.h"

int wmain() {
    wchar_t self[MAX_PATH];
    std::wstring directory(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    std::wstring probe = directory.substr(0, directory.find_last_of(L"\\/") + 1) + L"ProcessProbe.exe";
    Process runs[3];
    for (Process& run : runs) {
        run.SetExecutable(probe.c_str());
        run.SetArguments(L"spawn 1 60000");
        run.Start();
    }
    Sleep(INFINITE);
    return 0;
}
