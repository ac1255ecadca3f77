#include "gui/MultiLineEditControl.h"

#include <commctrl.h>

#include "gui/WindowMessageRouter.h"

namespace gui {
namespace {

const UINT_PTR kSubclassId = 1;

}  // namespace

MultiLineEditControl::MultiLineEditControl() : EditControl(L"MultiLineEditControl") {
    style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
    height = 64;
}

MultiLineEditControl::~MultiLineEditControl() {
    if (handle && IsWindow(handle)) {
        RemoveWindowSubclass(handle, SubclassProc, kSubclassId);
    }
}

void MultiLineEditControl::OnCreate() {
    EditControl::OnCreate();
    SetWindowSubclass(handle, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK
MultiLineEditControl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    try {
        LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        if (message == WM_GETDLGCODE && key && key->message == WM_KEYDOWN &&
            (wParam == VK_TAB || wParam == VK_ESCAPE)) {
            result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB);
        }
        return result;
    } catch (...) {
        WindowMessageRouter::KeepException();
        return 0;
    }
}

}  // namespace gui
