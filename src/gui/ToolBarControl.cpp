#include "gui/ToolBarControl.h"

#include <commctrl.h>

#include "util/Exception.h"

namespace gui {

ToolBarControl::ToolBarControl() : CommonControl(L"ToolBarControl"), bitmap(nullptr) {
    windowClassName = TOOLBARCLASSNAMEW;
    style |= TBSTYLE_WRAPABLE;
}

ToolBarControl::~ToolBarControl() {
    if (bitmap) {
        DeleteObject(bitmap);
    }
}

void ToolBarControl::OnCreate() {
    SendMessageW(handle, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
}

void ToolBarControl::LoadBitmap() {
    imageList.Create(32, 32, ILC_COLOR24 | ILC_MASK, 13, 0);
    SendMessageW(handle, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imageList.GetHandle()));
    HBITMAP strip = ::LoadBitmapW(instance, MAKEINTRESOURCEW(bitmapResource));
    if (!strip) {
        throw new Exception(L"ToolBarControl::LoadBitmap()\nCould not load ToolBarControl's bitmap");
    }
    if (bitmap) {
        DeleteObject(bitmap);
    }
    bitmap = strip;
    imageList.AddMasked(bitmap, maskColour);
}

}  // namespace gui
