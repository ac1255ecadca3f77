#include "app/OutputEditMessages.h"

#include <oleacc.h>

#include "app/OutputView.h"
#include "gui/Clipboard.h"

OutputEditMessages::OutputEditMessages(OutputView& view) : view(view) {}

LRESULT OutputEditMessages::Answer(UINT message, WPARAM wParam, LPARAM lParam, bool& answered) {
    const util::LineStore& store = view.store;
    answered = true;
    switch (message) {
        case WM_COPY:
            gui::PutTextOnClipboard(view.GetHandle(), view.selection.Text(store));
            return 0;
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(store.TextLength());
        case WM_GETTEXT:
            return static_cast<LRESULT>(store.CopyText(reinterpret_cast<wchar_t*>(lParam), wParam));
        case WM_SETTEXT:
            view.Clear();
            if (lParam) {
                view.Append(reinterpret_cast<const wchar_t*>(lParam));
                view.FinishPaint();
            }
            return TRUE;
        case EM_GETLINECOUNT:
            return static_cast<LRESULT>(store.Count());
        case EM_GETFIRSTVISIBLELINE:
            return static_cast<LRESULT>(view.scroll.VerticalPosition(store));
        case EM_GETLINE:
            // The buffer's first WORD says how many characters it takes.
            return lParam ? static_cast<LRESULT>(store.CopyLine(wParam, reinterpret_cast<wchar_t*>(lParam),
                                                                *reinterpret_cast<WORD*>(lParam)))
                          : 0;
        case EM_GETSEL:
            return GetSelectionOffsets(reinterpret_cast<DWORD*>(wParam), reinterpret_cast<DWORD*>(lParam));
        case EM_SETSEL:
            SetSelectionOffsets(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case WM_GETOBJECT:
            if (static_cast<LONG>(lParam) == OBJID_CLIENT) {
                IAccessible* object = view.GetAccessible();
                LRESULT answer = LresultFromObject(IID_IAccessible, wParam, object);
                object->Release();
                return answer;
            }
            break;
        default:
            break;
    }
    answered = false;
    return 0;
}

LRESULT OutputEditMessages::GetSelectionOffsets(DWORD* from, DWORD* to) const {
    size_t start = view.store.OffsetOf(view.selection.Start()), end = view.store.OffsetOf(view.selection.End());
    if (from) {
        *from = static_cast<DWORD>(start);
    }
    if (to) {
        *to = static_cast<DWORD>(end);
    }
    return end > 0xFFFF ? -1 : MAKELRESULT(start, end);
}

void OutputEditMessages::SetSelectionOffsets(LPARAM from, LPARAM to) {
    util::TextSelection& selection = view.selection;
    if (from < 0) {
        selection.Collapse(selection.Caret());
    } else {
        util::TextPosition start = view.store.PositionAt(static_cast<size_t>(from));
        selection.Set(start, to < 0 ? view.store.End() : view.store.PositionAt(static_cast<size_t>(to)));
    }
    view.Selected();
}
