#include "gui/Clipboard.h"

#include <cstring>

namespace gui {

bool PutTextOnClipboard(HWND window, const std::wstring& text) {
    if (text.empty() || !OpenClipboard(window)) {
        return false;
    }
    EmptyClipboard();
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* place = memory ? GlobalLock(memory) : nullptr;
    bool put = false;
    if (place) {
        memcpy(place, text.c_str(), bytes);
        GlobalUnlock(memory);
        put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (memory && !put) {
        GlobalFree(memory);  // the clipboard owns it only once it took it
    }
    CloseClipboard();
    return put;
}

}  // namespace gui
