#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/PanelStateText.h"
#include "app/StateIcons.h"
#include "gui/ImageList.h"
#include "gui/WindowPane.h"

class ProcessWindow;

namespace gui {
class MDIClientWindow;
}

// The frame's panel left of the MDI client: one row per process window, in the order of the
// configuration, with its title, its state icon and a short state text. A click activates the
// row's window, a double-click starts a stopped one, Delete stops and Enter starts (a running one:
// restarts) it; the context menu acts on the row under the mouse, or on every window when there
// is none. Its right edge is a bar that the user drags to set its width.
//
// The rows are looked at when a window's state changes and once a second for the running times
// (one timer for the panel); only what changed is written, and a hidden panel looks at nothing.
class ProcessPanel : public gui::WindowPane {
public:
    // The windows to show, in their order.
    using Source = std::function<std::vector<ProcessWindow*>()>;
    // Chooses a command of a context menu at a point of the screen; 0 for none. The default
    // tracks the menu; a seam for tests, which cannot read a menu on screen under Wine.
    using MenuChoice = std::function<int(HMENU menu, POINT at)>;
    static MenuChoice menuChoice;

    static constexpr int minimumWidth = 80;
    static constexpr int maximumWidth = 1200;
    static constexpr int defaultWidth = 270;
    static constexpr int barWidth = 5;  // the draggable strip at the right edge
    static const UINT_PTR timerId = 1;
    static const int listId = 100;

    // The client is the frame's (not owned); layout is called when the user dragged the width;
    // ending tells when the program is exiting, when nothing is started any more.
    ProcessPanel(Source windows, gui::MDIClientWindow& client, std::function<void()> layout,
                 std::function<bool()> ending);

    void OnCreate() override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnTimer(WPARAM timerId) override;
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Shows or hides the panel (made on first use under parent); the frame lays it out after.
    void Show(HWND parent, bool shown);
    bool IsShown() const { return shown; }
    // The width in pixels, kept within minimumWidth and maximumWidth.
    int GetWidth() const { return width; }
    void SetWidth(int pixels);
    static int Clamp(int pixels);
    // Looks at every row now: which windows, their titles, states and texts.
    void Refresh();

    // What the rows show (tests): title, state text and icon of each, and the list control.
    HWND GetList() const { return list; }
    int CountRows() const { return static_cast<int>(rows.size()); }
    std::wstring RowTitle(int row) const;
    std::wstring RowText(int row) const;
    PanelStateText::Icon RowIcon(int row) const;
    // The process window of a row; null when it is gone.
    ProcessWindow* WindowAt(int row) const;

    // What the mouse and keys do, on a row (from 0; -1 for none).
    void OnClick(int row);
    void OnDoubleClick(int row);
    void OnKey(int row, UINT key);
    // The context menu at a point of the screen: the row's, or that of every window.
    void ShowMenu(POINT screen);
    // Carries out a command of a row's menu on that row's window.
    void RunRowCommand(int row, int command);

    // The facts the state text is made of, as a window shows them at tick count now.
    static PanelStateText::Facts FactsOf(const ProcessWindow& window, ULONGLONG now);

private:
    struct Row {
        HWND window = nullptr;
        std::wstring title;
        std::wstring text;
        PanelStateText::Icon icon = PanelStateText::Icon::Stopped;
        bool drawn = false;  // the list holds this row's texts and icon
    };

    void CreateList();
    void Rebuild(const std::vector<ProcessWindow*>& windows);
    void UpdateRow(int index, const ProcessWindow& window, ULONGLONG now);
    int SelectedRow() const;
    int RowAt(POINT screen) const;
    HMENU MakeRowMenu(const ProcessWindow& window) const;
    static HMENU MakeAllMenu();
    int Choose(HMENU menu, POINT at);
    // The bar at the right edge: press, drag and release set the width.
    bool OnBarMessage(UINT message, LPARAM lParam);

    Source windows;
    gui::MDIClientWindow& client;    // not owned
    std::function<void()> layout;
    std::function<bool()> ending;
    HWND list;
    gui::ImageList images;
    StateIcons icons;
    std::vector<Row> rows;
    int width;
    bool shown;
    bool dragging;
};
