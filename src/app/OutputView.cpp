#include "app/OutputView.h"

#include <richedit.h>

#include <cwchar>

#include "win32/Registry.h"

namespace {

const wchar_t kSettingsKey[] = L"Software\\Hollbrae\\Tarnwick";
const size_t kSmallestScrollback = 1000;
const ULONGLONG kPaintIntervalMs = 100;

// Milliseconds since 1970-01-01 UTC, the store's arrival times.
int64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    const uint64_t kEpochDifference = 116444736000000000ULL;  // 1601 to 1970, in 100 ns units
    return static_cast<int64_t>((ticks.QuadPart - kEpochDifference) / 10000);
}

}  // namespace

OutputView::OutputView()
    : scrollback(defaultScrollback),
      appendLimit(0),
      store(defaultScrollback),
      interpreter(store),
      shownOffset(0),
      lastPaint(0),
      paintDue(false) {
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
    store.SetLimit(scrollback);
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
    // The open last line may change (a progress line, a backspace): it is shown again from its start.
    uint64_t open = store.EndNumber() - 1;
    interpreter.Write(text, Now());
    // What just came is never cut (the tail a stopped reader hands over at once may pass the
    // limit by itself): the next append trims it.
    bool trimmed = store.Trim(open) > 0;
    // Drawing is off for the change and the scroll: a scroll with drawing on repaints at once,
    // which can cost more than the insert itself; Repaint then paints once for both.
    SendMessageW(handle, WM_SETREDRAW, FALSE, 0);
    if (trimmed) {
        // Removing text from the front of a large rich-edit control costs time in proportion to
        // all the lines behind it; a fresh control handed the text to keep costs one append.
        shownOffset = 0;
        Recreate(LinesText(store.FirstNumber(), L"\r"));
        shownOffset = GetTextLength() - static_cast<int>(store.Last().text.size());
    } else {
        ShowFrom(open);
    }
    ScrollToEnd();
    SendMessageW(handle, WM_SETREDRAW, TRUE, 0);
    Repaint();
}

void OutputView::ShowFrom(uint64_t number) {
    // Continued lines are shown joined, so the line's part starts where the last line started.
    CHARRANGE replaced = {shownOffset, GetTextLength()};
    SendMessageW(handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&replaced));
    std::wstring shown = LinesText(number, L"\r");
    SendMessageW(handle, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(shown.c_str()));
    shownOffset = GetTextLength() - static_cast<int>(store.Last().text.size());
}

std::wstring OutputView::LinesText(uint64_t number, const wchar_t* lineEnd) const {
    std::wstring text;
    for (uint64_t n = number; n < store.EndNumber(); ++n) {
        const util::StoredLine& line = store.At(n);
        if (n != number && !line.continuation) {
            text += lineEnd;
        }
        text += line.text;
    }
    return text;
}

void OutputView::ScrollToEnd() {
    // The newest line from its start, as a console shows it: one absolute position for both
    // directions (the control limits it to the last page). SB_BOTTOM and SB_LEFT are not honoured
    // alike by every rich-edit version.
    POINT position = {0, 0x3FFFFFFF};
    SendMessageW(handle, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&position));
}

void OutputView::Recreate(const std::wstring& text) {
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
    store.Clear();
    interpreter.Reset();
    shownOffset = 0;
    Recreate(std::wstring());
}

std::wstring OutputView::GetAllText() {
    return LinesText(store.FirstNumber(), L"\r\n");
}
