// Opened through a link by the link control's test: writes "GuiLinkTarget.opened" beside itself.
#include <windows.h>

#include <string>

int wmain() {
    wchar_t path[MAX_PATH];
    std::wstring marker(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    marker = marker.substr(0, marker.find_last_of(L"\\/") + 1) + L"GuiLinkTarget.opened";
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file != INVALID_HANDLE_VALUE && CloseHandle(file) ? 0 : 1;
}
