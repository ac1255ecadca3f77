#include "gui/MDIClientWindow.h"

#include "gui/MDIChildWindow.h"
#include "gui/WindowMessageRouter.h"
#include "util/Exception.h"

namespace gui {

MDIClientWindow::MDIClientWindow() : Window(L"MDIClientWindow"), clientCreate(), childCount(0) {
    windowClassName = L"MDICLIENT";
    // Not visible at first: the frame shows the client once it has placed it.
    style |= WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL;
    clientCreate.hWindowMenu = nullptr;
    clientCreate.idFirstChild = 50000;
    creationParameter = &clientCreate;
}

MDIClientWindow::~MDIClientWindow() {
    if (handle && IsWindow(handle)) {
        EnumChildWindows(handle, DisposeChildProc, reinterpret_cast<LPARAM>(handle));
    }
    childrenByTitle.clear();
}

BOOL CALLBACK MDIClientWindow::DisposeChildProc(HWND child, LPARAM client) {
    if (GetParent(child) != reinterpret_cast<HWND>(client)) {
        return TRUE;
    }
    WindowMessageRouter* router = WindowMessageRouter::GetInstance();
    Window* object = router->Lookup(child);
    if (object) {
        // This runs inside a destructor: a failing child must not stop the others being freed.
        try {
            router->DeleteWindow(object);
        } catch (Exception* e) {
            delete e;
        } catch (...) {
        }
    }
    return TRUE;
}

MDIChildWindow* MDIClientWindow::GetActiveChild() {
    HWND active = reinterpret_cast<HWND>(SendMessageW(handle, WM_MDIGETACTIVE, 0, 0));
    if (!active) {
        return nullptr;
    }
    return dynamic_cast<MDIChildWindow*>(router->Lookup(active));
}

void MDIClientWindow::ActivateNext(bool previous) {
    HWND active = reinterpret_cast<HWND>(SendMessageW(handle, WM_MDIGETACTIVE, 0, 0));
    if (active) {
        SendMessageW(handle, WM_MDINEXT, reinterpret_cast<WPARAM>(active), previous ? 1 : 0);
    }
}

bool MDIClientWindow::ActivateListed(int index) {
    // The system numbers its children in the order of its Window menu, from the first identifier.
    HWND child = GetDlgItem(handle, static_cast<int>(clientCreate.idFirstChild) + index);
    if (index < 0 || !child || GetParent(child) != handle) {
        return false;
    }
    if (IsIconic(child)) {
        SendMessageW(handle, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
    }
    SendMessageW(handle, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
    return true;
}

int MDIClientWindow::CountChildren() {
    childCount = 0;
    EnumChildWindows(handle, EnumMDIChildProc_Count, reinterpret_cast<LPARAM>(this));
    WindowMessageRouter::RethrowPendingException();
    return childCount;
}

BOOL CALLBACK MDIClientWindow::EnumMDIChildProc_Count(HWND child, LPARAM client) {
    try {
        reinterpret_cast<MDIClientWindow*>(client)->CountChild(child);
        return TRUE;
    } catch (...) {
        // Stop the walk; the caller of EnumChildWindows throws it again.
        WindowMessageRouter::KeepException();
        return FALSE;
    }
}

void MDIClientWindow::CountChild(HWND child) {
    if (GetParent(child) != handle) {
        return;  // a control inside a child, not a child itself
    }
    Window* object = router->Lookup(child);
    if (!object) {
        throw new Exception(L"MDIClientWindow::EnumMDIChildProc_Count()\nCould not find the MDIChildWindow for %d.",
                            static_cast<int>(reinterpret_cast<intptr_t>(child)));
    }
    MDIChildWindow* document = dynamic_cast<MDIChildWindow*>(object);
    if (!document) {
        return;
    }
    String title;
    document->GetText(title);
    if (title.IsNull()) {
        title = L"";
    }
    if (childrenByTitle.find(title) == childrenByTitle.end()) {
        childrenByTitle[title] = document;
        ++childCount;
    }
}

void MDIClientWindow::ForgetChild(const MDIChildWindow* child) {
    for (auto entry = childrenByTitle.begin(); entry != childrenByTitle.end(); ++entry) {
        if (entry->second == child) {
            childrenByTitle.erase(entry);
            return;
        }
    }
}

}  // namespace gui
