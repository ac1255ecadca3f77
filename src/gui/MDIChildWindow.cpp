#include "gui/MDIChildWindow.h"

#include "gui/MDIClientWindow.h"
#include "gui/MainWindowBase.h"
#include "gui/WindowMessageRouter.h"
#include "util/Exception.h"

namespace gui {

MDIChildWindow::MDIChildWindow(const wchar_t* className)
    : Window(className), mdiCreate(), frameWindow(nullptr), mdiClientWindow(nullptr) {
    extendedStyle |= WS_EX_MDICHILD;
    kind = ChildWindow;
    registerClass = true;
    mdiCreate.szClass = className;
    mdiCreate.szTitle = nullptr;
    mdiCreate.hOwner = instance;
    mdiCreate.x = CW_USEDEFAULT;
    mdiCreate.y = CW_USEDEFAULT;
    mdiCreate.cx = CW_USEDEFAULT;
    mdiCreate.cy = CW_USEDEFAULT;
    mdiCreate.style = 1;
    mdiCreate.lParam = 0;
    creationParameter = &mdiCreate;
}

void MDIChildWindow::SetText(const wchar_t* text) {
    UpdateFrameTitle(text);
    SetWindowTextW(handle, text);
}

void MDIChildWindow::OnDestroy() {
    // A child that was never counted has no entry; one whose client is already gone has none left.
    MDIClientWindow* client = FindMDIClientWindow();
    if (client) {
        client->ForgetChild(this);
    }
}

LRESULT MDIChildWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_WINDOWPOSCHANGED:
            // Then default processing: it sends WM_SIZE, and DefMDIChildProcW keeps a maximised
            // child's buttons in the frame's menu bar.
            UpdateFrameTitle();
            break;
        case WM_NOTIFY:
            OnNotify(wParam, lParam);
            return 0;
        case WM_MDIACTIVATE:
            SetWindowMenu();
            if (reinterpret_cast<HWND>(lParam) == handle) {
                return OnActivate();
            }
            if (reinterpret_cast<HWND>(wParam) == handle) {
                return OnDeactivate();
            }
            break;
        default:
            break;
    }
    return Dispatch(window, message, wParam, lParam);
}

LRESULT MDIChildWindow::OnActivate() {
    return 1;
}

LRESULT MDIChildWindow::OnDeactivate() {
    return 1;
}

void MDIChildWindow::MDIDestroy() {
    // An adopted child is deleted once this is done with it, not while it runs.
    WindowMessageRouter::DeletionHold hold;
    GetMDIClientWindow();
    SendMessageW(GetParent(handle), WM_MDIDESTROY, reinterpret_cast<WPARAM>(handle), 0);
    destroyed = true;
}

Window* MDIChildWindow::GetFrameWindow() {
    if (!frameWindow) {
        HWND client = GetParent(handle);
        HWND frame = client ? GetParent(client) : nullptr;
        frameWindow = frame ? router->Lookup(frame) : nullptr;
        if (!frameWindow) {
            throw new Exception(L"MDIChildWindow::GetFrameWindow()\nThe frame window could not be found.");
        }
    }
    return frameWindow;
}

void MDIChildWindow::SetFrameWindow(Window* frame) {
    frameWindow = frame;
}

MDIClientWindow* MDIChildWindow::FindMDIClientWindow() {
    if (!mdiClientWindow && handle) {
        HWND parent = GetParent(handle);
        if (parent) {
            mdiClientWindow = dynamic_cast<MDIClientWindow*>(router->Lookup(parent));
        }
    }
    return mdiClientWindow;
}

MDIClientWindow* MDIChildWindow::GetMDIClientWindow() {
    if (!mdiClientWindow) {
        if (!handle || !GetParent(handle)) {
            throw new Exception(L"MDIChildWindow::GetMDIClientWindow()\nCould not get the parent window.");
        }
        if (!FindMDIClientWindow()) {
            throw new Exception(L"MDIChildWindow::GetMDIClientWindow()\nThe MDI client window could not be found.");
        }
    }
    return mdiClientWindow;
}

void MDIChildWindow::UpdateFrameTitle(const wchar_t* text) {
    String title;
    if (text) {
        title = text;
    } else {
        GetText(title);
    }
    if (title.IsEmpty()) {
        return;
    }
    WINDOWINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetWindowInfo(handle, &info) || !IsActiveChild(info)) {
        return;
    }
    String caption;
    caption.Format(L"%s - %s", MainWindowBase::ApplicationName(), title.GetBuffer());
    GetFrameWindow()->SetText(caption.GetBuffer());
}

bool MDIChildWindow::IsActiveChild(const WINDOWINFO& info) {
    if (info.dwWindowStatus & WS_ACTIVECAPTION) {
        return true;
    }
    // Some systems report the active caption only for the active top-level window, and none
    // while the frame itself is in the background; the client always knows its active child.
    HWND client = GetParent(handle);
    return client && reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)) == handle;
}

void MDIChildWindow::SetWindowMenu() {
    Window* frame = GetFrameWindow();
    HMENU menu = GetMenu(frame->GetHandle());
    if (!menu) {
        return;
    }
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position) {
        wchar_t text[256] = L"";
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_TYPE;
        item.dwTypeData = text;
        item.cch = 256;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item)) {
            continue;
        }

        if (item.fType == MFT_STRING && wcscmp(text, L"Window") == 0) {
            // The frame keeps its menu bar (a null frame menu says so; some systems ignore the
            // window menu when the bar is passed again), and the children already open are
            // listed in the menu just handed over.
            SendMessageW(GetParent(handle), WM_MDISETMENU, 0, reinterpret_cast<LPARAM>(GetSubMenu(menu, position)));
            SendMessageW(GetParent(handle), WM_MDIREFRESHMENU, 0, 0);
            DrawMenuBar(frame->GetHandle());
            return;
        }
    }
}

}  // namespace gui
