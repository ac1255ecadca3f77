// How much later Tarnwick's frame is there and answering when its update server never answers a
// connect, against a start with the check off: the median over interleaved pairs of starts.
// Prints "startup_check_extra_ms: <value>"; the single times go to standard error.
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/ScriptedServer.h"

namespace {

const wchar_t kKey[] = L"Software\\Hollbrae\\Tarnwick";
const int kPairs = 7;
// A connect to a full backlog is retried for minutes under Wine: a start is not waited for longer.
const DWORD kWaitCapMs = 15000;

std::wstring BesideMe(const std::wstring& name) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path, n);
    return full.substr(0, full.find_last_of(L"\\/") + 1) + name;
}

// One of the program's settings, put back as it was (or removed again) when the bench ends.
class SavedSetting {
public:
    explicit SavedSetting(const wchar_t* name) : name(name) {
        wchar_t buffer[2048];
        DWORD size = sizeof(buffer);
        existed = RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) == ERROR_SUCCESS;
        if (existed) {
            value = buffer;
        }
    }
    ~SavedSetting() {
        if (existed) {
            Set(value);
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, name.c_str());
        }
    }
    void Set(const std::wstring& text) const {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) == 0) {
            RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
            RegCloseKey(key);
        }
    }

private:
    std::wstring name;
    std::wstring value;
    bool existed = false;
};

struct FrameSearch {
    DWORD processId;
    HWND frame;
};

BOOL CALLBACK MatchFrame(HWND window, LPARAM parameter) {
    FrameSearch* search = reinterpret_cast<FrameSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[32] = L"";
    GetClassNameW(window, name, 32);
    if (owner == search->processId && lstrcmpW(name, L"MainWindow") == 0 && IsWindowVisible(window)) {
        search->frame = window;
        return FALSE;
    }
    return TRUE;
}

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// From the start of Tarnwick until its frame is visible and answers WM_NULL within 50 ms.
double TimeToAnsweringFrame(const std::wstring& configuration) {
    std::wstring line = L"\"" + BesideMe(L"Tarnwick.exe") + L"\" \"" + configuration + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return -1;
    }
    double elapsed = kWaitCapMs;
    while (MillisecondsSince(start) < kWaitCapMs) {
        FrameSearch search = {process.dwProcessId, nullptr};
        EnumWindows(MatchFrame, reinterpret_cast<LPARAM>(&search));
        DWORD_PTR result = 0;
        if (search.frame && SendMessageTimeoutW(search.frame, WM_NULL, 0, 0, SMTO_NORMAL, 50, &result)) {
            elapsed = MillisecondsSince(start);
            break;
        }
        Sleep(5);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

std::wstring WriteConfiguration() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"bench-startup.tnkx";
    const char text[] =
        "<processes><process><title>Idle</title><executable>cmd.exe</executable>"
        "<start>false</start></process></processes>";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text, sizeof(text) - 1, &written, nullptr);
    CloseHandle(file);
    return path;
}

}  // namespace

int main() {
    testsupport::DeafListener deaf;
    std::wstring configuration = WriteConfiguration();
    std::vector<double> extra;
    {
        SavedSetting enabled(L"CheckForUpdates");
        SavedSetting url(L"UpdateUrl");
        url.Set(deaf.Url(L"/versions/index.php"));
        auto start = [&](bool check) {
            enabled.Set(check ? L"1" : L"0");
            return TimeToAnsweringFrame(configuration);
        };
        start(false);  // warms Wine's caches; not counted
        for (int pair = 0; pair < kPairs; ++pair) {
            // Alternating which start goes first cancels a drift of the machine's load.
            bool checkFirst = pair % 2 == 1;
            double first = start(checkFirst);
            double second = start(!checkFirst);
            double withCheck = checkFirst ? first : second;
            double without = checkFirst ? second : first;
            fprintf(stderr, "startup pair %d: check off %.0f ms, check on %.0f ms\n", pair, without, withCheck);
            extra.push_back(withCheck - without);
        }
    }
    DeleteFileW(configuration.c_str());
    std::sort(extra.begin(), extra.end());
    printf("startup_check_extra_ms: %.0f\n", extra[extra.size() / 2]);
    return 0;
}
