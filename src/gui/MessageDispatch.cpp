#include "gui/MessageDispatch.h"

namespace gui {

MessageDispatch::Route MessageDispatch::Classify(unsigned message, uintptr_t wParam) {
    switch (message) {
        case 0x0002:
            return Destroy;
        case 0x0005:
            return Size;
        case 0x000F:
            return Paint;
        case 0x0010:
            return Close;
        case 0x004E:
            return Notify;
        case 0x0111:
            // Edit controls send EN_UPDATE before every repaint; the handlers never want it.
            return ((wParam >> 16) & 0xFFFF) == editUpdate ? Default : Command;
        case 0x0113:
            return Timer;
        default:
            break;
    }
    return message >= firstPrivate && message <= lastPrivate ? Private : Default;
}

}  // namespace gui
