#include "support/TarnwickSession.h"

#include <vector>

#include "support/MessageBoxWatcher.h"
#include "support/TestPaths.h"

namespace testsupport {

TarnwickSession::TarnwickSession(const std::wstring& arguments, DWORD waitMs)
    : TarnwickSession(HelperPath(L"Tarnwick.exe"), arguments, waitMs) {}

TarnwickSession::TarnwickSession(const std::wstring& program, const std::wstring& arguments, DWORD waitMs) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &created)) {
        return;
    }
    CloseHandle(created.hThread);
    process = created.hProcess;
    processId = created.dwProcessId;
    WaitUntil(
        [&] {
            frame = MessageBoxWatcher::FindBox(processId, L"MainWindow");
            return frame != nullptr || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        },
        waitMs);
}

TarnwickSession::~TarnwickSession() {
    if (!process) {
        return;
    }
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
}

std::vector<HWND> TarnwickSession::Children() const {
    std::vector<HWND> children;
    for (HWND child = GetWindow(Client(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

HWND TarnwickSession::Child(const std::wstring& caption) const {
    for (HWND child : Children()) {
        if (Text(child) == caption) {
            return child;
        }
    }
    return nullptr;
}

std::wstring TarnwickSession::Text(HWND window) {
    // WM_GETTEXT is copied across processes; GetWindowTextW would not ask the other program.
    LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring TarnwickSession::ViewText(const std::wstring& caption) const {
    HWND child = Child(caption);
    return child ? Text(ViewOf(child)) : std::wstring();
}

bool TarnwickSession::WaitForOutput(const std::wstring& caption, const std::wstring& part, DWORD waitMs) const {
    return WaitUntil([&] { return ViewText(caption).find(part) != std::wstring::npos; }, waitMs);
}

bool TarnwickSession::WaitForStatus(const std::wstring& text, DWORD waitMs) const {
    return WaitUntil([&] { return Text(StatusBar()) == text; }, waitMs);
}

DWORD TarnwickSession::WaitForExit(DWORD waitMs) {
    if (WaitForSingleObject(process, waitMs) != WAIT_OBJECT_0) {
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}

}  // namespace testsupport
