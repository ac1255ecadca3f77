#include "RichEditCeiling.h"

#include <richedit.h>

#include "BenchClock.h"

RichEditCeiling::RichEditCeiling(HWND like) : library(nullptr), font(nullptr), host(nullptr), className() {
    library = LoadLibraryW(L"Msftedit.dll");
    if (!library) {
        library = LoadLibraryW(L"Riched20.dll");
    }
    GetClassNameW(like, className, 64);
    GetClientRect(like, &outer);
    style = (static_cast<DWORD>(GetWindowLongW(like, GWL_STYLE)) & ~WS_MAXIMIZE) | WS_CHILD | WS_VISIBLE;
    extendedStyle = static_cast<DWORD>(GetWindowLongW(like, GWL_EXSTYLE));
    AdjustWindowRectEx(&outer, style, FALSE, extendedStyle);
    host = CreateWindowExW(0, L"STATIC", L"Rich-edit ceiling", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                           outer.right - outer.left + 16, outer.bottom - outer.top + 40, nullptr, nullptr, nullptr,
                           nullptr);
    font = CreateFontW(15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, FF_SWISS, L"Courier New");
}

RichEditCeiling::~RichEditCeiling() {
    DestroyWindow(host);
    DeleteObject(font);
}

HWND RichEditCeiling::CreateControl() {
    HWND control = CreateWindowExW(extendedStyle, className, nullptr, style, 0, 0, outer.right - outer.left,
                                   outer.bottom - outer.top, host, nullptr, nullptr, nullptr);
    // As the program's view is set up: its font, plain text, no undo, room for any text.
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(control, EM_SETTEXTMODE, TM_PLAINTEXT | TM_SINGLELEVELUNDO, 0);
    SendMessageW(control, EM_SETUNDOLIMIT, 0, 0);
    SendMessageW(control, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    Pump();
    return control;
}

void RichEditCeiling::Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

double RichEditCeiling::Rate(const std::wstring& text, size_t insertChars) {
    HWND control = CreateControl();
    GETTEXTLENGTHEX query = {GTL_NUMCHARS, 1200};
    double start = NowMs();
    for (size_t done = 0; done < text.size(); done += insertChars) {
        std::wstring piece = text.substr(done, insertChars);
        SendMessageW(control, WM_SETREDRAW, FALSE, 0);
        LONG end = static_cast<LONG>(SendMessageW(control, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
        CHARRANGE caret = {end, end};
        SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        SendMessageW(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
        SendMessageW(control, WM_SETREDRAW, TRUE, 0);
    }
    double seconds = (NowMs() - start) / 1000.0;
    Pump();
    DestroyWindow(control);
    return seconds > 0 ? static_cast<double>(text.size()) / seconds : 0;
}
