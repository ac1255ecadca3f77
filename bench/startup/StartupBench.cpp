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
#include "support/TarnwickSession.h"

namespace {

const wchar_t kKey[] = L"Software\\Hollbrae\\Tarnwick";
const int kPairs = 7;
// A connect to a full backlog is retried for minutes under Wine: a start is not waited for longer.
const DWORD kWaitCapMs = 15000;

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

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// From the start of Tarnwick until its frame is visible and answers WM_NULL within 50 ms.
double TimeToAnsweringFrame(const std::wstring& configuration) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    testsupport::TarnwickSession session(L"\"" + configuration + L"\"", kWaitCapMs);
    DWORD left = static_cast<DWORD>(std::max(0.0, kWaitCapMs - MillisecondsSince(start)));
    HWND frame = session.Frame();
    auto answers = [frame] {
        DWORD_PTR result = 0;
        return IsWindowVisible(frame) && SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, 50, &result) != 0;
    };
    bool answered = frame && testsupport::WaitUntil(answers, left);
    return answered ? MillisecondsSince(start) : kWaitCapMs;
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
