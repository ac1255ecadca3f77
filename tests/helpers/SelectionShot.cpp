// Selects a stretch of a process window's output in a running Tarnwick, so that a screenshot
// shows a selection: SelectionShot <window title> <from text> <to text> selects from the last
// place of the first text to the end of the second after it.
#include <windows.h>

#include <string>

namespace {

HWND FindChild(const wchar_t* title) {
    for (int attempt = 0; attempt < 100; ++attempt, Sleep(100)) {
        HWND frame = FindWindowW(L"MainWindow", nullptr);
        HWND client = frame ? FindWindowExW(frame, nullptr, L"MDIClient", nullptr) : nullptr;
        HWND child = client ? FindWindowExW(client, nullptr, nullptr, title) : nullptr;
        if (child) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    HWND child = argc > 3 ? FindChild(argv[1]) : nullptr;
    HWND view = child ? GetWindow(child, GW_CHILD) : nullptr;
    if (!view) {
        return 1;
    }
    for (int attempt = 0; attempt < 100; ++attempt, Sleep(100)) {
        std::wstring text(static_cast<size_t>(SendMessageW(view, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
        text.resize(static_cast<size_t>(SendMessageW(view, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
        size_t from = text.rfind(argv[2]);
        size_t to = from != std::wstring::npos ? text.find(argv[3], from) : std::wstring::npos;
        if (to != std::wstring::npos) {
            SendMessageW(view, EM_SETSEL, from, to + wcslen(argv[3]));
            return 0;
        }
    }
    return 2;
}
