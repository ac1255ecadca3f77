#pragma once

#include <windows.h>

#include <string>

#include "gui/RichEditControl.h"

// The output view of a process window: a rich-edit control that text is appended to at its end,
// holding a bounded scrollback. Past the limit the oldest whole lines go, with some slack so that
// a flood does not pay for a cut at every append.
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
    // Drawing is suspended around the change; the view repaints at least every 250 ms.
    void Append(const std::wstring& text);
    void Clear();
    // The whole text as the control holds it.
    std::wstring GetAllText();

    size_t GetScrollback() const { return scrollback; }
    // The scrollback limit from the registry value "ScrollbackCharacters" of the program's key,
    // or the default when it is absent or not a sensible number.
    static size_t ReadScrollbackSetting();

private:
    int GetTextLength();
    void Trim(int appended);
    void ScrollToEnd();
    void Repaint();

    size_t scrollback;
    ULONGLONG lastPaint;
};
