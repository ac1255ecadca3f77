#include "app/FailureNotice.h"

#include "app/SettingsKey.h"
#include "util/String.h"
#include "win32/Registry.h"

namespace {

const wchar_t* const kSettingsKey = settings::key;

}  // namespace

FailureNotice::Notifier FailureNotice::notifier = &FailureNotice::Flash;

void FailureNotice::RunFailed(HWND frame, HWND child, const std::wstring& text) {
    if (told || !frame) {
        return;
    }
    told = true;  // seen or told: the rest of the streak is not told either
    HWND client = GetParent(child);
    bool inFront = GetForegroundWindow() == frame && !IsIconic(frame) && client &&
                   reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)) == child;
    if (!inFront && Enabled() && notifier) {
        notifier(frame, text);
    }
}

bool FailureNotice::Enabled() {
    String value;
    return !win32::Registry::ReadString(HKEY_CURRENT_USER, kSettingsKey, L"NotifyOnFailure", value, false) ||
           !value.Equals(L"0");
}

void FailureNotice::Flash(HWND frame, const std::wstring& text) {
    SendMessageW(frame, toldMessage, 0, reinterpret_cast<LPARAM>(text.c_str()));
    FLASHWINFO flash = {};
    flash.cbSize = sizeof(flash);
    flash.hwnd = frame;
    flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;  // until the frame comes to the front
    FlashWindowEx(&flash);
}
