#include "app/ProcessPanel.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/ProcessWindow.h"
#include "app/ProcessWindowSet.h"
#include "common/Process.h"
#include "gui/MDIClientWindow.h"
#include "gui/WindowMessageRouter.h"

namespace {

const UINT kRefreshMs = 1000;
const int kTitleColumn = 0;
const int kStateColumn = 1;

// The image list holds the state icons in the order of PanelStateText::Icon.
int ImageOf(PanelStateText::Icon icon) {
    return static_cast<int>(icon);
}

void AddColumn(HWND list, int index, const wchar_t* caption, int width) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(caption);
    column.cx = width;
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

ProcessPanel::ProcessPanel(Source windows, gui::MDIClientWindow& client, std::function<void()> layout,
                           std::function<bool()> ending)
    : WindowPane(L"ProcessPanel"),
      windows(std::move(windows)),
      client(client),
      layout(std::move(layout)),
      ending(std::move(ending)),
      list(nullptr),
      width(defaultWidth),
      shown(false),
      dragging(false) {
    style = WS_CHILD | WS_CLIPCHILDREN;  // hidden until shown
}

void ProcessPanel::OnCreate() {
    WindowPane::OnCreate();
    CreateList();
}

void ProcessPanel::CreateList() {
    list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                               LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS,
                           0, 0, 0, 0, handle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(listId)), instance,
                           nullptr);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    int size = GetSystemMetrics(SM_CXSMICON);
    images.Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 0);
    HICON shown[] = {icons.For(instance, ProcessWindow::Running), icons.For(instance, ProcessWindow::Stopped),
                     icons.For(instance, ProcessWindow::Stopping), icons.Failed(instance)};
    for (HICON icon : shown) {
        ImageList_AddIcon(images.GetHandle(), icon);
    }
    // The list only borrows the images (LVS_SHAREIMAGELISTS): the panel's image list owns and
    // destroys them, once.
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.GetHandle()));
    AddColumn(list, kTitleColumn, L"Process", 110);
    AddColumn(list, kStateColumn, L"State", 130);
}

void ProcessPanel::OnSize(WPARAM, LPARAM) {
    RECT area = {};
    GetClientRect(handle, &area);
    int listWidth = area.right > barWidth ? area.right - barWidth : 0;
    if (list) {
        SetWindowPos(list, nullptr, 0, 0, listWidth, area.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
        // The title takes what the state text leaves.
        int stateWidth = listWidth / 2 < 130 ? listWidth / 2 : 130;
        int titleWidth = listWidth - stateWidth - GetSystemMetrics(SM_CXVSCROLL) - 4;
        SendMessageW(list, LVM_SETCOLUMNWIDTH, kTitleColumn, titleWidth > 40 ? titleWidth : 40);
        SendMessageW(list, LVM_SETCOLUMNWIDTH, kStateColumn, stateWidth);
    }
}

void ProcessPanel::Show(HWND parent, bool show) {
    if (show && !handle && parent) {
        Create(parent);
    }
    shown = show;
    if (!handle) {
        return;
    }
    ShowWindow(handle, show ? SW_SHOWNA : SW_HIDE);
    if (show) {
        SetTimer(handle, timerId, kRefreshMs, nullptr);
        Refresh();
    } else {
        KillTimer(handle, timerId);
    }
}

int ProcessPanel::Clamp(int pixels) {
    return pixels < minimumWidth ? minimumWidth : pixels > maximumWidth ? maximumWidth : pixels;
}

void ProcessPanel::SetWidth(int pixels) {
    width = Clamp(pixels);
}

LRESULT ProcessPanel::OnTimer(WPARAM id) {
    if (id == timerId) {
        Refresh();
    }
    return 0;
}

void ProcessPanel::Refresh() {
    if (!handle || !shown) {
        return;  // a hidden panel costs nothing; showing it looks at every row
    }
    std::vector<ProcessWindow*> current = windows();
    bool same = current.size() == rows.size();
    for (size_t index = 0; same && index < rows.size(); ++index) {
        same = rows[index].window == current[index]->GetHandle();
    }
    if (!same) {
        Rebuild(current);
    }
    ULONGLONG now = GetTickCount64();
    for (size_t index = 0; index < current.size(); ++index) {
        UpdateRow(static_cast<int>(index), *current[index], now);
    }
}

void ProcessPanel::Rebuild(const std::vector<ProcessWindow*>& current) {
    int selected = SelectedRow();
    HWND kept = selected >= 0 ? rows[static_cast<size_t>(selected)].window : nullptr;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    rows.assign(current.size(), Row());
    for (size_t index = 0; index < current.size(); ++index) {
        rows[index].window = current[index]->GetHandle();
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(index);
        item.pszText = const_cast<wchar_t*>(L"");
        item.iImage = ImageOf(PanelStateText::Icon::Stopped);
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        if (rows[index].window == kept) {
            LVITEMW state = {};
            state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void ProcessPanel::UpdateRow(int index, const ProcessWindow& window, ULONGLONG now) {
    Row& row = rows[static_cast<size_t>(index)];
    std::wstring title = ProcessWindowSet::WindowTitle(window.GetHandle());
    PanelStateText::Facts facts = FactsOf(window, now);
    std::wstring text = PanelStateText::Text(facts);
    PanelStateText::Icon icon = PanelStateText::IconFor(facts);
    if (!row.drawn || row.title != title) {
        row.title = title;
        SetCell(list, index, kTitleColumn, row.title);
    }
    if (!row.drawn || row.text != text) {
        row.text = text;
        SetCell(list, index, kStateColumn, row.text);
    }
    if (!row.drawn || row.icon != icon) {
        row.icon = icon;
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = index;
        item.iImage = ImageOf(icon);
        SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    row.drawn = true;
}

PanelStateText::Facts ProcessPanel::FactsOf(const ProcessWindow& window, ULONGLONG now) {
    PanelStateText::Facts facts;
    facts.state = window.GetState();
    const Process* process = window.GetCurrentProcess();
    if (!process) {
        return facts;
    }
    ULONGLONG launched = process->GetLaunchTick();
    facts.runMs = launched != 0 && now > launched ? now - launched : 0;
    ULONGLONG due = process->GetRestartDueTick();
    facts.restartInMs = due > now ? due - now : 0;
    // What the last run left counts only once nothing runs, or while the policy waits after it.
    if (facts.state != ProcessWindow::Running || facts.restartInMs != 0 || window.IsWaiting()) {
        ExitLine::Reason reason = process->GetEndReason();
        facts.endedByItself = reason == ExitLine::Reason::ByItself;
        facts.failedToStart = reason == ExitLine::Reason::FailedToStart;
        facts.exitCode = process->GetExitCode();
    }
    return facts;
}

std::wstring ProcessPanel::RowTitle(int row) const {
    return row >= 0 && row < CountRows() ? rows[static_cast<size_t>(row)].title : std::wstring();
}

std::wstring ProcessPanel::RowText(int row) const {
    return row >= 0 && row < CountRows() ? rows[static_cast<size_t>(row)].text : std::wstring();
}

PanelStateText::Icon ProcessPanel::RowIcon(int row) const {
    return row >= 0 && row < CountRows() ? rows[static_cast<size_t>(row)].icon : PanelStateText::Icon::Stopped;
}

ProcessWindow* ProcessPanel::WindowAt(int row) const {
    if (row < 0 || row >= CountRows() || !IsWindow(rows[static_cast<size_t>(row)].window)) {
        return nullptr;
    }
    gui::Window* object = gui::WindowMessageRouter::GetInstance()->Lookup(rows[static_cast<size_t>(row)].window);
    return dynamic_cast<ProcessWindow*>(object);
}

int ProcessPanel::SelectedRow() const {
    return list ? static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

int ProcessPanel::RowAt(POINT screen) const {
    LVHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(list, &hit.pt);
    int row = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return row >= 0 && (hit.flags & LVHT_ONITEM) ? row : -1;
}

bool ProcessPanel::OnBarMessage(UINT message, LPARAM lParam) {
    int x = GET_X_LPARAM(lParam);
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            return true;
        case WM_LBUTTONDOWN:
            dragging = true;
            SetCapture(handle);
            return true;
        case WM_MOUSEMOVE:
            if (dragging && x + barWidth / 2 != width) {
                SetWidth(x + barWidth / 2);
                layout();
            }
            return dragging;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (dragging) {
                dragging = false;
                if (message == WM_LBUTTONUP) {
                    ReleaseCapture();
                }
            }
            return true;
        default:
            return false;
    }
}

LRESULT ProcessPanel::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETCURSOR:
            // Only the bar itself is the pane's own: the list has its own cursor.
            if (reinterpret_cast<HWND>(wParam) == handle && OnBarMessage(message, lParam)) {
                return TRUE;
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (OnBarMessage(message, lParam)) {
                return 0;
            }
            break;
        case WM_CONTEXTMENU: {
            POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ShowMenu(at);
            return 0;
        }
        default:
            break;
    }
    return WindowPane::WindowProc(window, message, wParam, lParam);
}
