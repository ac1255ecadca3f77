#include "gui/SysLinkControl.h"

#include <commctrl.h>
#include <shellapi.h>

namespace gui {

SysLinkControl::SysLinkControl() : CommonControl(L"SysLinkControl") {
    windowClassName = L"SysLink";
    height = 15;
}

void SysLinkControl::OnCreate() {}

void SysLinkControl::SetText(const wchar_t* text) {
    CommonControl::SetText(text);
    CommonControl::OnCreate();  // sends the font
}

int SysLinkControl::HandleNotify(LPARAM notification) {
    const NMLINK* link = reinterpret_cast<const NMLINK*>(notification);
    if (!link || (link->hdr.code != NM_CLICK && link->hdr.code != NM_RETURN)) {
        return 0;
    }
    if (link->hdr.hwndFrom != handle || link->item.iLink != 0) {
        return 0;
    }
    ShellExecuteW(nullptr, L"open", link->item.szUrl, nullptr, nullptr, SW_SHOW);
    return 1;
}

}  // namespace gui
