#include "StartupTimer.h"

#include <windows.h>

#include "BenchClock.h"
#include "support/MessageBoxWatcher.h"
#include "support/TarnwickSession.h"
#include "support/TestPaths.h"

namespace {

const double StartWaitMs = 30000;
const wchar_t* const Titles[] = {L"First", L"Second", L"Third"};

using testsupport::TarnwickSession;

std::wstring FirstLine(const wchar_t* title) {
    return std::wstring(L"first line of ") + title;
}

bool ShowsFirstLines(HWND frame) {
    HWND client = frame ? FindWindowExW(frame, nullptr, L"MDIClient", nullptr) : nullptr;
    int shown = 0;
    for (HWND child = client ? GetWindow(client, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
        std::wstring caption = TarnwickSession::Text(child);
        std::wstring text = TarnwickSession::Text(TarnwickSession::ViewOf(child));
        shown += text.find(FirstLine(caption.c_str())) != std::wstring::npos ? 1 : 0;
    }
    return shown == 3;
}

bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return window && IsWindowVisible(window) &&
           SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
}

// Starts program and polls ready(process id) every 5 ms; returns the time it took.
template <typename Ready>
double TimeStart(const std::wstring& program, const std::wstring& arguments, Ready ready) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created = {};
    double start = NowMs();
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &created)) {
        return -1;
    }
    double took = -1;
    while (NowMs() - start < StartWaitMs && WaitForSingleObject(created.hProcess, 0) == WAIT_TIMEOUT) {
        if (ready(created.dwProcessId)) {
            took = NowMs() - start;
            break;
        }
        Sleep(5);
    }
    TerminateProcess(created.hProcess, 0);
    WaitForSingleObject(created.hProcess, 10000);
    CloseHandle(created.hProcess);
    CloseHandle(created.hThread);
    return took;
}

}  // namespace

StartupTimer::StartupTimer(const testsupport::ScratchDirectory& folder) {
    std::wstring child = testsupport::HelperPath(L"bench_display_child.exe");
    std::wstring entries;
    for (const wchar_t* title : Titles) {
        entries += L"<process><title>" + std::wstring(title) + L"</title><executable>" + child +
                   L"</executable><commandLineArguments>first \"" + FirstLine(title) +
                   L"\"</commandLineArguments></process>";
    }
    std::wstring text = L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<processes>" + entries + L"</processes>\r\n";
    configuration = folder.Write(L"startup.tnkx", std::string(text.begin(), text.end()));
}

double StartupTimer::TimeTarnwick() const {
    return TimeStart(testsupport::HelperPath(L"Tarnwick.exe"), L"\"" + configuration + L"\"", [](DWORD processId) {
        return ShowsFirstLines(testsupport::MessageBoxWatcher::FindBox(processId, L"MainWindow"));
    });
}

double StartupTimer::TimeBareWindow() const {
    return TimeStart(testsupport::HelperPath(L"bench_bare_window.exe"), L"", [](DWORD processId) {
        return Answers(testsupport::MessageBoxWatcher::FindBox(processId, L"BenchBareWindow"));
    });
}
