#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/OutputEditMessages.h"
#include "app/OutputLinks.h"
#include "app/OutputMenu.h"
#include "app/OutputMouse.h"
#include "app/OutputScrollBars.h"
#include "app/OutputTimes.h"
#include "gui/LinePainter.h"
#include "gui/WindowControl.h"
#include "util/ConsoleInterpreter.h"
#include "util/LineMarks.h"
#include "util/LineStore.h"
#include "util/ScrollModel.h"
#include "util/TextSelection.h"

class OutputAccessible;
struct IAccessible;

// The output view of a process window: the program's own view of a bounded store of lines, drawn
// a visible line at a time. Appending and dropping old lines cost in proportion to what changes,
// never to what is held. The view follows new output while its last line is in sight; once the
// user scrolls up or selects, output moves neither the view nor the selection, until the user
// scrolls back to the bottom (or presses Ctrl+End).
//
// For automation and screen readers it answers as an edit control would: WM_GETTEXT and
// WM_GETTEXTLENGTH give the whole text (CR LF line ends), EM_GETLINECOUNT, EM_GETFIRSTVISIBLELINE,
// EM_GETLINE, EM_GETSEL and EM_SETSEL the lines and the selection, WM_VSCROLL and WM_HSCROLL the
// standard requests; WM_GETOBJECT gives an accessible object of the text role.
class OutputView : public gui::WindowControl {
public:
    static const size_t defaultScrollback = 4000000;
    // How often, at most, a flood of output is painted.
    static const ULONGLONG paintIntervalMs = 100;
    // An update this long after the one before is output that comes now and then, not a flood.
    static const ULONGLONG loneUpdateGapMs = 50;

    OutputView();
    ~OutputView() override;

    void OnCreate() override;
    void OnDestroy() override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;
    void OnPaint(HDC context) override;
    LRESULT OnTimer(WPARAM timerId) override;
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The scrollback limit in characters (the largest single append no longer matters).
    void SetCapacity(size_t scrollbackCharacters, size_t largestAppend);
    // Changes the store (appends text with its styles, rewrites the last line), then drops the
    // oldest lines past the limit, keeps the selection and the view's place on their text, and
    // paints. While updates follow each other the view is painted at most every paintIntervalMs:
    // the caller calls FinishPaint once they stop.
    void Update(const std::function<void(util::LineStore&)>& edit);
    // Output as a console program writes it: through the console interpreter (colour codes,
    // progress lines rewritten in place, the other control codes as a console takes them).
    void Append(const std::wstring& text);
    void FinishPaint();
    void Clear();
    // Brings the last line into view, from the start of the lines, and follows the output again.
    void ScrollToEnd();
    std::wstring GetAllText() const { return store.AllText(); }
    const util::LineStore& GetStore() const { return store; }
    const util::LineStore& GetLines() const { return store; }
    const util::TextSelection& GetSelection() const { return selection; }
    std::wstring GetSelectedText() const { return selection.Text(store); }
    // Puts the selected text, plain (with the times when they are shown), on the clipboard.
    void CopySelection();
    // Shows or hides each line's arrival time in front of it, for the lines held too.
    void ShowTimestamps(bool flag);
    bool GetShowTimestamps() const { return times.Shown(); }
    // The whole text as Save Window Contents writes it.
    std::wstring GetSavedText() const { return times.SavedText(store); }
    void SelectAll();
    const util::ScrollModel& GetScroll() const { return scroll; }
    const gui::LinePainter& GetPainter() const { return painter; }
    // What is drawn over the lines: links, and the matches of the search shown.
    util::LineMarks& GetMarks() { return marks; }
    OutputLinks& GetLinks() { return links; }
    // The accessible object that WM_GETOBJECT hands out, with a reference for the caller.
    IAccessible* GetAccessible();

    size_t GetScrollback() const { return store.GetLimit(); }
    // The scrollback limit from the registry value "ScrollbackCharacters" of the program's key,
    // or the default when it is absent or not a sensible number.
    static size_t ReadScrollbackSetting();

private:
    friend class OutputMouse;
    friend class OutputScrollBars;
    friend class OutputEditMessages;
    friend class OutputLinks;
    friend class FindBar;

    int PageLines() const;
    void Geometry();
    void ScrollTo(uint64_t line, int x, bool byUser);
    void ScrollLines(int64_t lines);
    void Scrolled();

    bool OnKey(WPARAM key);
    bool OnSelectionKey(WPARAM key, bool control);
    void MoveCaret(util::TextPosition to);
    util::TextPosition HitTest(int x, int y) const;
    void Selected();

    void FollowDpi();
    void NoteWidth(uint64_t fromLine);
    void Repaint();
    void Changed();

    util::LineStore store;
    util::ConsoleInterpreter interpreter;
    util::TextSelection selection;
    util::ScrollModel scroll;
    gui::LinePainter painter;
    OutputMouse mouse;
    OutputEditMessages editMessages;
    util::LineMarks marks;
    OutputLinks links;
    OutputScrollBars scrollBars;
    OutputMenu menu;
    OutputTimes times;
    ULONGLONG lastPaint;
    ULONGLONG lastUpdate;          // tick count of the last change painted or due
    bool paintDue;                 // changes are not painted yet
    OutputAccessible* accessible;  // counted reference, made on first request
};
