#include "gui/FileDialogs.h"

#include <commdlg.h>

namespace gui {
namespace {

const int pathCapacity = 260;

// Pairs of description and pattern, each ending with a null character, the list with another.
const wchar_t openFilter[] =
    L"Configuration Files (*.tnkx)\0*.tnkx\0Configuration Files (*.xml)\0*.xml\0All files (*.*)\0*.*\0";
const wchar_t saveFilter[] = L"Text File(.txt)\0*.txt\0All Files(*.*)\0*.*\0";

void Prepare(OPENFILENAMEW& dialog, HWND owner, wchar_t* buffer, const wchar_t* filter, const wchar_t* title,
             DWORD flags) {
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = buffer;
    dialog.nMaxFile = pathCapacity;
    dialog.lpstrTitle = title;
    dialog.Flags = flags;
    dialog.lpstrDefExt = L"txt";
}

}  // namespace

int ShowOpenFileDialog(HWND owner, String& path) {
    wchar_t buffer[pathCapacity] = L"";
    OPENFILENAMEW dialog = {};
    Prepare(dialog, owner, buffer, openFilter, L"Load Configuration File",
            OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_NOCHANGEDIR);
    if (!GetOpenFileNameW(&dialog)) {
        return 0;
    }
    path = buffer;
    return 1;
}

int ShowSaveFileDialog(HWND owner, String& path) {
    wchar_t buffer[pathCapacity] = L"";
    OPENFILENAMEW dialog = {};
    // A file picked by mistake is not silently replaced; and the program's current directory, which
    // relative paths of the configuration rely on, stays where it was.
    Prepare(dialog, owner, buffer, saveFilter, L"", OFN_HIDEREADONLY | OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR);
    if (!GetSaveFileNameW(&dialog)) {
        return 0;
    }
    path = buffer;
    return 1;
}

}  // namespace gui
