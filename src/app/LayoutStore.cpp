#include "app/LayoutStore.h"

#include <windows.h>

#include "app/SettingsKey.h"
#include "util/String.h"
#include "win32/Registry.h"

namespace {

const wchar_t kPath[] = L"Path";
const wchar_t kFrame[] = L"Frame";
const wchar_t kPanel[] = L"Panel";
const wchar_t kArrangement[] = L"Arrangement";
const wchar_t kWindows[] = L"Windows";

std::wstring ReadValue(const std::wstring& key, const wchar_t* name) {
    String value;
    return win32::Registry::ReadString(HKEY_CURRENT_USER, key.c_str(), name, value, false) ? value.GetBuffer()
                                                                                           : std::wstring();
}

}  // namespace

std::wstring LayoutStore::Lowered(const std::wstring& path) {
    std::wstring lowered = path;
    if (!lowered.empty()) {
        CharLowerBuffW(&lowered[0], static_cast<DWORD>(lowered.size()));
    }
    return lowered;
}

std::wstring LayoutStore::KeyFor(const std::wstring& path) {
    return std::wstring(settings::key) + L"\\Layouts\\" + WindowLayout::KeyName(Lowered(path));
}

bool LayoutStore::Read(const std::wstring& path, WindowLayout& layout) {
    std::wstring key = KeyFor(path);
    if (Lowered(ReadValue(key, kPath)) != Lowered(path)) {
        return false;
    }
    layout = WindowLayout();
    layout.hasFrame = WindowLayout::ParsePlacement(ReadValue(key, kFrame), layout.frame);
    layout.hasPanel = WindowLayout::ParsePanel(ReadValue(key, kPanel), layout.panelShown, layout.panelWidth);
    WindowLayout::ParseArrangement(ReadValue(key, kArrangement), layout.arrangement);
    layout.children = WindowLayout::ParseChildren(ReadValue(key, kWindows));
    return true;
}

void LayoutStore::Write(const std::wstring& path, const WindowLayout& layout) {
    std::wstring key = KeyFor(path);
    auto write = [&key](const wchar_t* name, const std::wstring& text) {
        win32::Registry::WriteString(HKEY_CURRENT_USER, key.c_str(), name, text.c_str());
    };
    write(kPath, path);
    if (layout.hasFrame) {
        write(kFrame, WindowLayout::PlacementText(layout.frame));
    }
    if (layout.hasPanel) {
        write(kPanel, WindowLayout::PanelText(layout.panelShown, layout.panelWidth));
    }
    write(kArrangement, WindowLayout::ArrangementText(layout.arrangement));
    write(kWindows, WindowLayout::ChildrenText(layout.children));
}

void LayoutStore::Forget(const std::wstring& path) {
    RegDeleteKeyExW(HKEY_CURRENT_USER, KeyFor(path).c_str(), KEY_WOW64_32KEY, 0);
}
