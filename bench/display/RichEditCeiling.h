#pragma once

#include <windows.h>

#include <string>

// The yardstick of the display figure: a bare rich-edit control in a window of this process, of
// the class, styles and size of a given control (the program's output view), fed text from this
// thread in inserts of one size with drawing suspended around each. Each rate is taken with a
// fresh control: emptying a large one costs Wine's rich edit time quadratic in its lines.
class RichEditCeiling {
public:
    explicit RichEditCeiling(HWND like);
    ~RichEditCeiling();
    RichEditCeiling(const RichEditCeiling&) = delete;
    RichEditCeiling& operator=(const RichEditCeiling&) = delete;

    // Characters per second for the whole text in inserts of insertChars characters.
    double Rate(const std::wstring& text, size_t insertChars);

private:
    HWND CreateControl();
    void Pump();

    HMODULE library;
    HFONT font;
    HWND host;
    wchar_t className[64];
    DWORD style;
    DWORD extendedStyle;
    RECT outer;
};
