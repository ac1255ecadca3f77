// How much later Tarnwick's frame is there and answering when its update server never answers a
// connect, against a start with the check off: the median over interleaved pairs of starts.
// Prints "startup_check_extra_ms: <value>"; the single times go to standard error.
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/SavedRegistryValue.h"
#include "support/ScriptedServer.h"
#include "support/TarnwickSession.h"

namespace {

const wchar_t kKey[] = L"Software\\Hollbrae\\Tarnwick";
const int kPairs = 7;
// A connect to a full backlog is retried for minutes under Wine: a start is not waited for longer.
const DWORD kWaitCapMs = 15000;

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
        testsupport::SavedRegistryValue enabled(kKey, L"CheckForUpdates");
        testsupport::SavedRegistryValue url(kKey, L"UpdateUrl");
        url.Write(deaf.Url(L"/versions/index.php"));
        auto start = [&](bool check) {
            enabled.Write(check ? L"1" : L"0");
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
