#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "gui/ButtonControl.h"
#include "gui/CheckBoxControl.h"
#include "gui/EditControl.h"
#include "gui/StaticControl.h"
#include "gui/WindowControl.h"
#include "util/TextFinder.h"

class OutputView;

// The strip along the bottom of a process window that searches its output: a field for the text,
// "Match case" and "Whole word", the count of matches ("3 of 17", "No matches"), buttons for the
// previous and the next match, and a note when the search went round an end. The current match
// is the view's selection; the other matches are marked in the view while the strip is open.
// Enter and F3 go to the next match, Shift with either to the previous one, Escape closes the
// strip and gives the keyboard back to the view with the last match still selected. The count
// follows new output and the dropping of old lines while the strip is open.
class FindBar : public gui::WindowControl {
public:
    explicit FindBar(OutputView& view);
    ~FindBar() override;

    // Called when the strip opens or closes, for the window to lay out again.
    void SetLayout(std::function<void()> relayout) { layout = std::move(relayout); }
    // Takes the bottom of area when the strip is open, leaving the rest in area.
    void Place(RECT& area);
    bool IsOpen() const { return open; }

    // Ctrl+F: opens the strip (with the selected text, when it lies in one line, as the text to
    // look for) and puts the keyboard in its field.
    void Open();
    // Escape: closes the strip, the keyboard back in the view.
    void Close();
    // F3 and Shift+F3: the next or previous match of the last search, the strip open or not; with
    // no search yet, opens the strip.
    void Repeat(bool backward);
    // The match shown, as the count reads: "3 of 17", "17 matches", "No matches" or nothing.
    std::wstring CountText() const;
    const util::TextFinder& GetFinder() const { return finder; }

    void OnCreate() override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnTimer(WPARAM timerId) override;

private:
    // Reads the field and the boxes into the finder; true when there is something to look for.
    bool ReadQuery();
    // Goes to the nearest match from the selection (at its start when again, else past it).
    void Step(bool backward, bool again);
    void ShowCount();

    OutputView& view;  // the owner's view, not owned
    util::TextFinder finder;
    gui::EditControl field;
    gui::CheckBoxControl matchCase;
    gui::CheckBoxControl wholeWord;
    gui::ButtonControl previous;
    gui::ButtonControl next;
    gui::StaticControl count;
    gui::StaticControl note;
    std::wstring shownCount;  // what the count shows, so that only a change is drawn
    std::function<void()> layout;
    bool open;
};
