#pragma once

#include <cstdint>

namespace gui {

// Which handler of a framework window a message reaches. The window procedure decodes the
// parameters and applies the result rule; the choice itself needs no window.
class MessageDispatch {
public:
    enum Route {
        Default,  // default processing only
        Destroy,  // OnDestroy, then default processing
        Size,     // WM_SIZE: OnSize (WM_WINDOWPOSCHANGED goes to default processing,
                  // which sends WM_SIZE when the size changed)
        Paint,    // BeginPaint, OnPaint, EndPaint
        Close,    // OnClose
        Notify,   // OnNotify
        Command,  // OnCommand
        Timer,    // OnTimer
        Private   // WM_USER up to WM_APP + 0x3FF: OnMessage
    };

    static const unsigned firstPrivate = 0x0400;  // WM_USER
    static const unsigned lastPrivate = 0x83FF;   // WM_APP + 0x3FF
    static const unsigned editUpdate = 0x0400;    // EN_UPDATE, in the high word of wParam

    static Route Classify(unsigned message, uintptr_t wParam);
};

}  // namespace gui
