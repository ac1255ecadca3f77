#include "app/OutputView.h"

#include <richedit.h>

#include <cwchar>

#include "win32/Registry.h"

namespace {

const wchar_t kSettingsKey[] = L"Software\\Hollbrae\\Tarnwick";
const size_t kSmallestScrollback = 1000;
const ULONGLONG kPaintIntervalMs = 100;

}  // namespace

OutputView::OutputView() : scrollback(defaultScrollback), appendLimit(0), lastPaint(0), paintDue(false) {
    className = L"OutputView";
}

void OutputView::OnCreate() {
    RichEditControl::OnCreate();
    // Plain text without undo history: a log has no formatting, and undo would keep a second copy.
    SendMessageW(handle, EM_SETTEXTMODE, TM_PLAINTEXT | TM_SINGLELEVELUNDO, 0);
    SendMessageW(handle, EM_SETUNDOLIMIT, 0, 0);
}

void OutputView::SetCapacity(size_t scrollbackCharacters, size_t largestAppend) {
    scrollback = scrollbackCharacters;
    appendLimit = largestAppend;
    SendMessageW(handle, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(scrollback + appendLimit + 4096));
}

size_t OutputView::ReadScrollbackSetting() {
    String value;
    if (!win32::Registry::ReadString(HKEY_CURRENT_USER, kSettingsKey, L"ScrollbackCharacters", value, false)) {
        return defaultScrollback;
    }
    wchar_t* end = nullptr;
    unsigned long long parsed = wcstoull(value.GetBuffer(), &end, 10);
    // Nonsense (not a number, tiny, or more than the control can address) falls back to the default.
    if (end == value.GetBuffer() || *end != L'\0' || parsed < kSmallestScrollback || parsed > 0x40000000ULL) {
        return defaultScrollback;
    }
    return static_cast<size_t>(parsed);
}

int OutputView::GetTextLength() {
    GETTEXTLENGTHEX query = {GTL_NUMCHARS, 1200};
    return static_cast<int>(SendMessageW(handle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

void OutputView::Append(const std::wstring& text) {
    if (text.empty()) {
        return;
    }
    if (text.size() > appendLimit) {
        // More than announced at once (the tail a stopped reader hands over in one piece): the
        // control would silently drop what passes its limit.
        SetCapacity(scrollback, text.size());
    }
    // Drawing is off for the change and the scroll: a scroll with drawing on repaints at once,
    // which can cost more than the insert itself; Repaint then paints once for both.
    SendMessageW(handle, WM_SETREDRAW, FALSE, 0);
    int before = GetTextLength();
    CHARRANGE end = {before, before};
    SendMessageW(handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    SendMessageW(handle, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    Trim(GetTextLength() - before);
    ScrollToEnd();
    SendMessageW(handle, WM_SETREDRAW, TRUE, 0);
    Repaint();
}

void OutputView::ScrollToEnd() {
    // The newest line from its start, as a console shows it: one absolute position for both
    // directions (the control limits it to the last page). SB_BOTTOM and SB_LEFT are not honoured
    // alike by every rich-edit version.
    POINT position = {0, 0x3FFFFFFF};
    SendMessageW(handle, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&position));
}

void OutputView::Trim(int appended) {
    int length = GetTextLength();
    if (length <= static_cast<int>(scrollback)) {
        return;
    }
    // Keep three quarters of the limit, from the start of a line, never cutting into what just
    // came; the slack spares a flood a cut at every append.
    int cut = length - static_cast<int>(scrollback / 4 * 3);
    int line = static_cast<int>(SendMessageW(handle, EM_EXLINEFROMCHAR, 0, cut));
    int nextLine = static_cast<int>(SendMessageW(handle, EM_LINEINDEX, line + 1, 0));
    int newest = length - appended;
    if (nextLine > 0 && nextLine <= newest) {
        cut = nextLine;
    } else if (cut > newest) {
        cut = newest;  // one huge line: cut inside it, but keep everything that just arrived
    }
    if (cut > 0) {
        Recreate(GetRange(cut, length));
    }
}

std::wstring OutputView::GetRange(int from, int to) {
    std::wstring text(static_cast<size_t>(to - from) + 1, L'\0');
    TEXTRANGEW range = {{from, to}, &text[0]};
    LRESULT copied = SendMessageW(handle, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void OutputView::Recreate(const std::wstring& text) {
    // Removing text from the front of a large rich-edit control costs time in proportion to all
    // the lines behind it, on some versions minutes for a long scrollback; a fresh control that is
    // handed the text to keep costs one append.
    HWND parent = GetParent(handle);
    bool focused = GetFocus() == handle;
    RECT place = {};
    GetWindowRect(handle, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    Destroy();
    Create(parent);
    SetCapacity(scrollback, appendLimit);
    SetPosition(place, SWP_SHOWWINDOW | SWP_NOZORDER);
    SendMessageW(handle, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    if (focused) {
        SetFocus(handle);
    }
}

void OutputView::Repaint() {
    // A paint costs a flood about as much as an insert: while output flows the view is painted at
    // most every kPaintIntervalMs, and FinishPaint shows the rest once the flow stops. The loop
    // would paint before every batch otherwise, since a paint outranks the output timer.
    paintDue = true;
    if (GetTickCount64() - lastPaint >= kPaintIntervalMs) {
        FinishPaint();
    }
}

void OutputView::FinishPaint() {
    if (!paintDue || !handle) {
        return;
    }
    paintDue = false;
    // The frame too: the scroll bars changed while drawing was off.
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE | RDW_UPDATENOW);
    lastPaint = GetTickCount64();
}

void OutputView::Clear() {
    Recreate(std::wstring());
}

std::wstring OutputView::GetAllText() {
    GETTEXTLENGTHEX query = {GTL_NUMCHARS | GTL_PRECISE | GTL_USECRLF, 1200};
    int length = static_cast<int>(SendMessageW(handle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GETTEXTEX request = {};
    request.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    request.flags = GT_USECRLF;
    request.codepage = 1200;
    LRESULT copied = SendMessageW(handle, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                                  reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}
