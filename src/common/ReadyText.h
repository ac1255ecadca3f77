#pragma once

#include <cstddef>
#include <string>

// Looks for one text in the decoded output of a run, line by line: a line holds it when the text
// stands within the line (a CR or an LF ends a line), however the reads cut the line. Letter case
// counts. Keeps no more of the output than the text's length. Free of Windows.
class ReadyText {
public:
    explicit ReadyText(std::wstring text);

    // Reads more of the output; true once a line has held the text. From then on it stays true
    // and further output is not looked at. An empty text is never found.
    bool Feed(const wchar_t* output, size_t length);
    bool Found() const { return found; }
    const std::wstring& GetText() const { return text; }
    // A new run: nothing of it seen yet.
    void Reset();

private:
    std::wstring text;
    std::wstring tail;  // the end of the current line so far, shorter than text
    bool found;
};
