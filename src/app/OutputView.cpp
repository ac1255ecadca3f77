#include "app/OutputView.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>

#include "app/OutputAccessible.h"
#include "app/SettingsKey.h"
#include "gui/Clipboard.h"
#include "gui/WindowDpi.h"
#include "win32/Registry.h"

namespace {

const wchar_t* const kSettingsKey = settings::key;
const size_t kSmallestScrollback = 1000;
const UINT kDpiChangedAfterParent = 0x02E3;
const UINT kDpiChanged = 0x02E0;
const DWORD kTextSelectionChanged = 0x8014;  // EVENT_OBJECT_TEXTSELECTIONCHANGED
// Lines dropped at most per update: freeing a quarter of a full store at once would hold the
// window for a third of a second under Wine.
const size_t kTrimSlice = 4096;

int64_t NowMs() {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks = {{now.dwLowDateTime, now.dwHighDateTime}};
    return static_cast<int64_t>((ticks.QuadPart - 116444736000000000ULL) / 10000);
}

bool KeyDown(int key) {
    return GetKeyState(key) < 0;
}

}  // namespace

OutputView::OutputView()
    : WindowControl(L"OutputView"),
      store(defaultScrollback),
      interpreter(store),
      mouse(*this),
      editMessages(*this),
      links(*this),
      scrollBars(*this),
      menu(*this),
      lastPaint(0),
      lastUpdate(0),
      paintDue(false),
      accessible(nullptr) {
    style |= WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
    registerClass = true;
    backgroundColour = COLOR_WINDOW;
}

OutputView::~OutputView() {
    if (accessible) {
        accessible->Disconnect();
        accessible->Release();
    }
}

void OutputView::OnCreate() {
    SetClassLongPtrW(handle, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_IBEAM)));
    painter.SetDpi(gui::WindowDpi(handle));
    Geometry();
    scrollBars.Update();
}

void OutputView::OnDestroy() {
    if (accessible) {
        // Screen readers may hold the object longer than the window lives.
        accessible->Disconnect();
        accessible->Release();
        accessible = nullptr;
    }
    WindowControl::OnDestroy();
}

size_t OutputView::ReadScrollbackSetting() {
    String value;
    if (!win32::Registry::ReadString(HKEY_CURRENT_USER, kSettingsKey, L"ScrollbackCharacters", value, false)) {
        return defaultScrollback;
    }
    wchar_t* end = nullptr;
    unsigned long long parsed = wcstoull(value.GetBuffer(), &end, 10);
    // Nonsense (not a number, tiny, or absurdly large) falls back to the default.
    if (end == value.GetBuffer() || *end != L'\0' || parsed < kSmallestScrollback || parsed > 0x40000000ULL) {
        return defaultScrollback;
    }
    return static_cast<size_t>(parsed);
}

void OutputView::SetCapacity(size_t scrollbackCharacters, size_t) {
    store.SetLimit(scrollbackCharacters);
}

void OutputView::Append(const std::wstring& text) {
    if (text.empty()) {
        return;
    }
    int64_t now = NowMs();
    Update([&](util::LineStore&) { interpreter.Write(text, now); });
}

void OutputView::Update(const std::function<void(util::LineStore&)>& edit) {
    uint64_t changedFrom = store.EndNumber() - 1;
    edit(store);
    NoteWidth(changedFrom);
    // As many lines as came, and a slice more: the store comes back within its limit in a few turns.
    store.Trim(UINT64_MAX, static_cast<size_t>(store.EndNumber() - 1 - changedFrom) + kTrimSlice);
    selection.Clamp(store);
    scroll.StoreChanged(store);
    // Drawn with the next paint: a flood would pay for drawing them at every batch.
    scrollBars.Update(false);
    // Also output below a reader who scrolled up: it changes the scroll bars, drawn with the paint.
    Repaint();
}

void OutputView::NoteWidth(uint64_t fromLine) {
    for (uint64_t number = std::max(fromLine, store.FirstNumber()); number < store.EndNumber(); ++number) {
        scroll.NoteWidth(store.At(number).text.size());
    }
}

void OutputView::Repaint() {
    // A paint costs a flood about as much as the text itself: while output flows the view is
    // painted at most every paintIntervalMs, and FinishPaint shows the rest once the flow stops.
    // Nothing is invalidated in between, since a pending paint would outrank the output timer.
    paintDue = true;
    ULONGLONG now = GetTickCount64();
    ULONGLONG previous = lastUpdate;
    lastUpdate = now;
    if (now - lastPaint < paintIntervalMs) {
        return;
    }
    if (now - previous < loneUpdateGapMs || !handle) {
        FinishPaint();
        return;
    }
    // A lone update (a line now and then) is painted as paints usually are, once the messages
    // already waiting are handled: many windows each taking a line would otherwise hold every
    // posted message of the frame up for a paint apiece, done there and then.
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE);
    paintDue = false;
    lastPaint = now;
    Changed();
}

void OutputView::FinishPaint() {
    if (!paintDue || !handle) {
        return;
    }
    paintDue = false;
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE | RDW_UPDATENOW);
    lastPaint = GetTickCount64();
    Changed();
}

void OutputView::Changed() {
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, handle, OBJID_CLIENT, CHILDID_SELF);
}

void OutputView::Clear() {
    store.Clear();
    interpreter.Reset();
    selection.Collapse(store.End());
    scroll.Reset(store);
    if (handle) {
        scrollBars.Update();
        InvalidateRect(handle, nullptr, FALSE);
        Changed();
    }
}

void OutputView::ScrollToEnd() {
    scroll.Follow(store);
    Scrolled();
}

void OutputView::OnSize(WPARAM, LPARAM) {
    Geometry();
    scroll.StoreChanged(store);
    Scrolled();
}

void OutputView::Geometry() {
    RECT area = {};
    GetClientRect(handle, &area);
    scroll.SetGeometry(PageLines(), area.right, painter.CellWidth(), gui::LinePainter::kMargin);
}

void OutputView::FollowDpi() {
    int dpi = gui::WindowDpi(handle);
    if (dpi != painter.GetDpi()) {
        painter.SetDpi(dpi);
        OnSize(0, 0);
    }
}

void OutputView::OnPaint(HDC context) {
    painter.UpdateColours();  // high contrast or other window colours may have come meanwhile
    RECT area = {};
    GetClientRect(handle, &area);
    RECT dirty = area;
    GetClipBox(context, &dirty);
    int height = painter.LineHeight();
    int prefixWidth = static_cast<int>(times.Cells()) * painter.CellWidth();
    util::TextPosition from = selection.Start(), to = selection.End();
    int y = 0;
    for (uint64_t number = scroll.Top(); number < store.EndNumber() && y < dirty.bottom; ++number, y += height) {
        if (y + height <= dirty.top) {
            continue;
        }
        size_t selectFrom = number == from.line ? from.column : (number > from.line ? 0 : SIZE_MAX);
        size_t selectTo = number == to.line ? to.column : (number < to.line ? SIZE_MAX : 0);
        bool breakSelected = number >= from.line && number < to.line && !store.At(number + 1).continuation;
        const util::StoredLine& line = store.At(number);
        painter.Draw(context, marks.Shown(line), y, scroll.Left() - prefixWidth, area.right, selectFrom, selectTo,
                     breakSelected);
        if (times.Shown()) {
            painter.DrawPrefix(context, times.Prefix(line), y, scroll.Left());
        }
    }
    if (y < dirty.bottom) {
        RECT rest = {dirty.left, std::max(y, static_cast<int>(dirty.top)), dirty.right, dirty.bottom};
        SetBkColor(context, painter.Background());
        ExtTextOutW(context, 0, 0, ETO_OPAQUE, &rest, nullptr, 0, nullptr);
    }
}

int OutputView::PageLines() const {
    RECT area = {};
    GetClientRect(handle, &area);
    return std::max(1, static_cast<int>(area.bottom) / painter.LineHeight());
}

void OutputView::ScrollTo(uint64_t line, int x, bool byUser) {
    if (scroll.ScrollTo(store, line, x, byUser, mouse.IsDragging())) {
        Scrolled();
    }
}

void OutputView::ScrollLines(int64_t lines) {
    if (scroll.ScrollBy(store, lines, mouse.IsDragging())) {
        Scrolled();
    }
}

void OutputView::Scrolled() {
    scrollBars.Update();
    InvalidateRect(handle, nullptr, FALSE);
}

bool OutputView::OnKey(WPARAM key) {
    bool control = KeyDown(VK_CONTROL);
    if (KeyDown(VK_SHIFT)) {
        return OnSelectionKey(key, control);
    }
    int64_t page = std::max(1, PageLines() - 1);
    int cell = painter.CellWidth();
    switch (key) {
        case 'C':
        case VK_INSERT:
            if (control) {
                CopySelection();
            }
            return control;
        case 'A':
            if (control) {
                SelectAll();
            }
            return control;
        case VK_UP:
            ScrollLines(-1);
            return true;
        case VK_DOWN:
            ScrollLines(1);
            return true;
        case VK_PRIOR:
            ScrollLines(-page);
            return true;
        case VK_NEXT:
            ScrollLines(page);
            return true;
        case VK_LEFT:
            ScrollTo(scroll.Top(), scroll.Left() - cell, false);
            return true;
        case VK_RIGHT:
            ScrollTo(scroll.Top(), scroll.Left() + cell, false);
            return true;
        case VK_HOME:
            ScrollTo(control ? store.FirstNumber() : scroll.Top(), 0, control);
            return true;
        case VK_END:
            if (control) {
                ScrollToEnd();
            } else {
                ScrollTo(scroll.Top(), scroll.MaxLeft(), false);
            }
            return true;
        default:
            return false;
    }
}

// Shift with a movement key moves the selection's caret, its anchor staying where it is.
bool OutputView::OnSelectionKey(WPARAM key, bool control) {
    using Selection = util::TextSelection;
    Selection::Motion motion;
    switch (key) {
        case VK_UP:
            motion = Selection::LineUp;
            break;
        case VK_DOWN:
            motion = Selection::LineDown;
            break;
        case VK_PRIOR:
            motion = Selection::PageUp;
            break;
        case VK_NEXT:
            motion = Selection::PageDown;
            break;
        case VK_LEFT:
            motion = Selection::CharacterLeft;
            break;
        case VK_RIGHT:
            motion = Selection::CharacterRight;
            break;
        case VK_HOME:
            motion = control ? Selection::TextStart : Selection::LineStart;
            break;
        case VK_END:
            motion = control ? Selection::TextEnd : Selection::LineEnd;
            break;
        default:
            return false;
    }
    MoveCaret(selection.Moved(store, motion, std::max(1, PageLines() - 1)));
    return true;
}

void OutputView::MoveCaret(util::TextPosition to) {
    selection.ExtendTo(store.Clamp(to));
    scroll.Reveal(store, selection.Caret());
    Selected();
    Scrolled();
}

void OutputView::CopySelection() {
    gui::PutTextOnClipboard(handle, times.Text(store, selection.Start(), selection.End()));
}

void OutputView::ShowTimestamps(bool flag) {
    times.Show(flag);
    scroll.SetPrefixCells(times.Cells());
    Scrolled();
}

void OutputView::SelectAll() {
    selection.SelectAll(store);
    Selected();
}

void OutputView::Selected() {
    if (!selection.Empty()) {
        scroll.StopFollowing();
    }
    InvalidateRect(handle, nullptr, FALSE);
    NotifyWinEvent(kTextSelectionChanged, handle, OBJID_CLIENT, CHILDID_SELF);
}

util::TextPosition OutputView::HitTest(int x, int y) const {
    return scroll.PositionAt(store, x, y, painter.LineHeight());
}

LRESULT OutputView::OnTimer(WPARAM timerId) {
    mouse.OnTimer(timerId);
    return 0;
}

LRESULT OutputView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // every pixel is painted
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_VSCROLL:
        case WM_HSCROLL:
            scrollBars.OnScroll(message == WM_VSCROLL ? SB_VERT : SB_HORZ, static_cast<int>(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            scrollBars.OnWheel(GET_WHEEL_DELTA_WPARAM(wParam),
                               (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0 || KeyDown(VK_SHIFT));
            return 0;
        case WM_MOUSEHWHEEL:
            scrollBars.OnWheel(-GET_WHEEL_DELTA_WPARAM(wParam), true);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_APPS) {
                menu.Show(-1);
                return 0;
            }
            if (OnKey(wParam)) {
                return 0;
            }
            break;
        case WM_SYSKEYDOWN:
            if (wParam == VK_F10 && KeyDown(VK_SHIFT)) {
                menu.Show(-1);
                return 0;
            }
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            // The menu came with the key going down: the system must not raise it again.
            if (wParam == VK_APPS || (wParam == VK_F10 && KeyDown(VK_SHIFT))) {
                return 0;
            }
            break;
        case WM_CONTEXTMENU:
            menu.Show(lParam);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            mouse.OnButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_SHIFT) != 0);
            return 0;
        case WM_MOUSEMOVE:
            mouse.OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_LBUTTONUP: {
            bool plainClick = mouse.IsDragging() && selection.Empty();
            mouse.OnButtonUp();
            if (plainClick) {
                links.Click(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            mouse.OnButtonUp();
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && links.ShowCursor()) {
                return TRUE;
            }
            break;
        case kDpiChanged:
        case kDpiChangedAfterParent:
            FollowDpi();
            break;
        default: {
            bool answered = false;
            LRESULT answer = editMessages.Answer(message, wParam, lParam, answered);
            if (answered) {
                return answer;
            }
            break;
        }
    }
    return Dispatch(window, message, wParam, lParam);
}

IAccessible* OutputView::GetAccessible() {
    if (!accessible) {
        // The object is handed over through COM marshalling, which needs COM on this thread; it
        // stays initialised for the rest of the program.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        accessible = new OutputAccessible(this);
    }
    accessible->AddRef();
    return accessible;
}
