#pragma once

#include <windows.h>

#include "gui/CommonControl.h"

namespace gui {

// A text with links (common controls version 6, which the program's manifest asks for).
class SysLinkControl : public CommonControl {
public:
    SysLinkControl();

    // The font follows each text. Given a font first, Wine's link control takes its word-break
    // character from its device context's default font and then finds no link in any text it is
    // given; Windows takes either order.
    void OnCreate() override;
    void SetText(const wchar_t* text) override;

    // For the owner's OnNotify: opens the URL of this control's first link when it is clicked or
    // activated with Enter. Returns 1 when it acted, else 0.
    int HandleNotify(LPARAM notification);
};

}  // namespace gui
