#include "app/FrameTray.h"

#include "app/SettingsKey.h"
#include "util/String.h"
#include "win32/Registry.h"

namespace {

const wchar_t* const kSettingsKey = settings::key;
const wchar_t kSetting[] = L"MinimizeToTray";
const int kStart = 40002, kRestart = 40003, kStop = 40004, kStartAll = 40005, kStopAll = 40006, kExit = 502;
const int kPerProcess = 3;  // Start, Stop, Restart

}  // namespace

FrameTray::Shell FrameTray::shell = &Shell_NotifyIconW;

FrameTray::FrameTray()
    : enabled(ReadSetting()), shown(false), data(), taskbarCreated(RegisterWindowMessageW(L"TaskbarCreated")) {}

bool FrameTray::ReadSetting() {
    String value;
    return win32::Registry::ReadString(HKEY_CURRENT_USER, kSettingsKey, kSetting, value, false) && value.Equals(L"1");
}

void FrameTray::SetEnabled(bool flag) {
    enabled = flag;
    win32::Registry::WriteString(HKEY_CURRENT_USER, kSettingsKey, kSetting, flag ? L"1" : L"0");
}

void FrameTray::Minimized(HWND frame, HICON icon, const std::wstring& tip) {
    if (!enabled) {
        return;
    }
    data = {};
    data.cbSize = sizeof(data);
    data.hWnd = frame;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = callbackMessage;
    data.hIcon = icon;
    lstrcpynW(data.szTip, tip.c_str(), ARRAYSIZE(data.szTip));
    // Without a notification area the frame stays on the taskbar: it must never be lost.
    if (Notify(NIM_ADD)) {
        shown = true;
        ShowWindow(frame, SW_HIDE);
    }
}

void FrameTray::SetTip(const std::wstring& tip) {
    if (!shown) {
        return;
    }
    data.uFlags = NIF_TIP;
    lstrcpynW(data.szTip, tip.c_str(), ARRAYSIZE(data.szTip));
    Notify(NIM_MODIFY);
}

void FrameTray::Balloon(const std::wstring& text) {
    if (!shown) {
        return;
    }
    data.uFlags = NIF_INFO;
    lstrcpynW(data.szInfoTitle, L"Tarnwick", ARRAYSIZE(data.szInfoTitle));
    lstrcpynW(data.szInfo, text.c_str(), ARRAYSIZE(data.szInfo));
    data.dwInfoFlags = NIIF_ERROR;
    Notify(NIM_MODIFY);
}

void FrameTray::Remove() {
    if (shown) {
        shown = false;
        Notify(NIM_DELETE);
    }
}

bool FrameTray::Handle(HWND frame, UINT message, LPARAM lParam, bool& wantsMenu) {
    wantsMenu = false;
    if (message == taskbarCreated && taskbarCreated != 0) {
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        // A new shell has lost every icon; one that takes none back must not leave the frame lost.
        if (shown && !Notify(NIM_ADD)) {
            shown = false;
            ShowWindow(frame, SW_RESTORE);
        }
        return true;
    }
    if (message != callbackMessage) {
        return false;
    }
    UINT mouse = static_cast<UINT>(lParam);
    if (mouse == WM_LBUTTONUP || mouse == WM_LBUTTONDBLCLK) {
        ShowWindow(frame, SW_RESTORE);
        SetForegroundWindow(frame);
        Remove();
    } else if (mouse == WM_RBUTTONUP || mouse == WM_CONTEXTMENU) {
        wantsMenu = true;
    }
    return true;
}

HMENU FrameTray::BuildMenu(const std::vector<std::wstring>& titles) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, showCommand, L"&Show Tarnwick");
    SetMenuDefaultItem(menu, showCommand, FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (size_t i = 0; i < titles.size(); ++i) {
        HMENU process = CreatePopupMenu();
        int first = firstProcessCommand + static_cast<int>(i) * kPerProcess;
        AppendMenuW(process, MF_STRING, first, L"&Start");
        AppendMenuW(process, MF_STRING, first + 1, L"St&op");
        AppendMenuW(process, MF_STRING, first + 2, L"&Restart");
        // An ampersand in a title is shown, not taken as the access key.
        std::wstring shown;
        for (wchar_t c : titles[i]) {
            shown += c == L'&' ? L"&&" : std::wstring(1, c);
        }
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(process), shown.c_str());
    }
    if (!titles.empty()) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    }
    AppendMenuW(menu, MF_STRING, kStartAll, L"Start &All");
    AppendMenuW(menu, MF_STRING, kStopAll, L"S&top All");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kExit, L"E&xit");
    return menu;
}

bool FrameTray::ProcessCommandOf(int command, size_t& index, int& processCommand) {
    if (command < firstProcessCommand) {
        return false;
    }
    int offset = command - firstProcessCommand;
    index = static_cast<size_t>(offset / kPerProcess);
    const int commands[kPerProcess] = {kStart, kStop, kRestart};
    processCommand = commands[offset % kPerProcess];
    return true;
}

bool FrameTray::Notify(DWORD action) {
    return shell && shell(action, &data) != FALSE;
}
