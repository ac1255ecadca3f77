#include "app/OutputLinks.h"

#include <shellapi.h>

#include "app/OutputView.h"
#include "util/LinkFinder.h"

OutputLinks::OutputLinks(OutputView& view) : view(view), opener(OpenInBrowser) {}

std::wstring OutputLinks::AddressAt(int x, int y) const {
    // The cell under the point, not the gap between cells nearest to it.
    util::TextPosition at = view.HitTest(x - view.painter.CellWidth() / 2, y);
    const util::LineStore& store = view.GetStore();
    if (!store.Holds(at.line)) {
        return std::wstring();
    }
    const std::wstring& text = store.At(at.line).text;
    util::LinkSpan link;
    if (at.column >= text.size() || !util::LinkFinder::At(text, at.column, link)) {
        return std::wstring();
    }
    return text.substr(link.start, link.length);
}

bool OutputLinks::ShowCursor() const {
    POINT point = {};
    GetCursorPos(&point);
    ScreenToClient(view.GetHandle(), &point);
    if (AddressAt(point.x, point.y).empty()) {
        return false;
    }
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

bool OutputLinks::Click(int x, int y) {
    std::wstring address = AddressAt(x, y);
    if (address.empty() || !opener) {
        return false;
    }
    opener(address);
    return true;
}

void OutputLinks::OpenInBrowser(const std::wstring& address) {
    // Only an address the finder accepted gets here: it begins with http:// or https://.
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
