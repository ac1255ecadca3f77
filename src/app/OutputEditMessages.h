#pragma once

#include <windows.h>

class OutputView;

// The messages an edit control answers, answered for an output view so that programs that read
// edit controls (automation, screen readers) read it too: the text, its lines, the first visible
// line and the selection, as character offsets with CR LF line ends; WM_COPY; WM_SETTEXT; and
// WM_GETOBJECT with the view's accessible object.
class OutputEditMessages {
public:
    explicit OutputEditMessages(OutputView& view);
    OutputEditMessages(const OutputEditMessages&) = delete;
    OutputEditMessages& operator=(const OutputEditMessages&) = delete;

    // Sets answered and gives the answer for one of these messages; leaves others unanswered.
    LRESULT Answer(UINT message, WPARAM wParam, LPARAM lParam, bool& answered);

private:
    LRESULT GetSelectionOffsets(DWORD* from, DWORD* to) const;
    void SetSelectionOffsets(LPARAM from, LPARAM to);

    OutputView& view;  // the owner
};
