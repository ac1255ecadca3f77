#pragma once

#include <windows.h>

#include <string>

#include "gui/RichEditControl.h"
#include "util/ConsoleInterpreter.h"
#include "util/LineStore.h"

// The output view of a process window. Output goes through a console interpreter into a bounded
// store of lines (colour codes, progress lines and the other control codes taken as a console
// takes them), and the rich-edit control shows the store's lines as plain text; a line continued
// at the store's length bound is shown as the one line it was. Past the limit the oldest whole
// lines go, down to three quarters of the limit, so that a flood does not pay for a cut at every
// append.
class OutputView : public gui::RichEditControl {
public:
    static const size_t defaultScrollback = 4000000;

    OutputView();

    void OnCreate() override;
    // The scrollback limit in characters and the largest text a single Append brings; the
    // control is told to hold both (its own default is 32,767 characters, past which appends
    // are silently dropped).
    void SetCapacity(size_t scrollbackCharacters, size_t largestAppend);
    // Appends at the end, drops the oldest lines beyond the limit and scrolls to the bottom.
    // While appends follow each other the view is painted at most every 100 ms: the caller calls
    // FinishPaint once they stop.
    void Append(const std::wstring& text);
    // Paints what the last appends left unpainted.
    void FinishPaint();
    void Clear();
    // Brings the end of the text into view, the last line from its start.
    void ScrollToEnd();
    // The whole text as shown: lines ended by CR LF, a continued line in one piece.
    std::wstring GetAllText();
    // The lines and their styles, as the interpreter made them.
    const util::LineStore& GetLines() const { return store; }

    size_t GetScrollback() const { return scrollback; }
    // The scrollback limit from the registry value "ScrollbackCharacters" of the program's key,
    // or the default when it is absent or not a sensible number.
    static size_t ReadScrollbackSetting();

private:
    int GetTextLength();
    // The text of the lines from number on, as the control shows them (lines ended by lineEnd).
    std::wstring LinesText(uint64_t number, const wchar_t* lineEnd) const;
    // Shows the store's lines from number (the last line before an append, which starts at
    // shownOffset) to the end.
    void ShowFrom(uint64_t number);
    // Replaces the native control by a fresh one holding text, in the same place.
    void Recreate(const std::wstring& text);
    void Repaint();

    size_t scrollback;
    size_t appendLimit;
    util::LineStore store;
    util::ConsoleInterpreter interpreter;
    int shownOffset;  // where the store's last line starts in the control
    ULONGLONG lastPaint;
    bool paintDue;  // appended text is not painted yet
};
