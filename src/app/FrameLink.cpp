#include "app/FrameLink.h"

#include <memory>

#include "gui/MDIChildWindow.h"
#include "util/Exception.h"

FrameLink::FrameLink(gui::MDIChildWindow& window) : window(window) {}

HWND FrameLink::Find() {
    try {
        gui::Window* frame = window.GetFrameWindow();
        if (frame && IsWindow(frame->GetHandle())) {
            return frame->GetHandle();
        }
    } catch (Exception* e) {
        delete e;
    }
    return nullptr;
}

void FrameLink::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND frame = Find();
    if (frame) {
        PostMessageW(frame, message, wParam, lParam);
    }
}

void FrameLink::PostStateIfActive(UINT message, int state) {
    HWND handle = window.GetHandle();
    HWND client = GetParent(handle);
    if (client && reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)) == handle) {
        Post(message, reinterpret_cast<WPARAM>(handle), state);
    }
}

void FrameLink::Forward(WPARAM wParam, LPARAM lParam) {
    HWND frame = Find();
    if (frame) {
        SendMessageW(frame, WM_COMMAND, wParam, lParam);
    }
}

void FrameLink::CheckMenuItem(int commandId, bool checked) {
    HWND frame = Find();
    HMENU menu = frame ? GetMenu(frame) : nullptr;
    if (menu) {
        ::CheckMenuItem(menu, commandId, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void FrameLink::ShowFailure(Exception* failure) {
    HWND frame = Find();
    Report(frame ? frame : IsWindow(window.GetHandle()) ? window.GetHandle() : nullptr, failure);
}

void FrameLink::Report(HWND owner, Exception* failure) {
    std::unique_ptr<Exception> owned(failure);
    MessageBoxW(owner, failure->GetMessageText().GetBuffer(), L"Exception thrown", MB_OK | MB_ICONEXCLAMATION);
}
