#include "gui/MainWindowBase.h"

#include "app/Application.h"
#include "util/Exception.h"
#include "util/SystemError.h"

namespace gui {

MainWindowBase::MainWindowBase(const wchar_t* className) : Window(className), icon(nullptr), background(nullptr) {
    style |= WS_OVERLAPPEDWINDOW;
    registerClass = true;
}

MainWindowBase::~MainWindowBase() {
    if (icon) {
        DestroyIcon(icon);
    }
    if (background) {
        DeleteObject(background);
    }
}

void MainWindowBase::OnRegisterClass(WNDCLASSEXW& description) {
    if (background) {
        // The class paints with it for the rest of the process, after this object is gone.
        description.hbrBackground = background;
        background = nullptr;
    }
}

void MainWindowBase::OnCreate() {
    SetIcon(100);
    SetText(ApplicationName());
    CenterOnWorkArea();
}

int MainWindowBase::OnClose() {
    PostQuitMessage(0);
    return 1;
}

void MainWindowBase::SetIcon(int resourceId) {
    HANDLE loaded = LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
    if (!loaded) {
        throw new Exception(L"MainWindowBase::SetIcon(%i) %s", resourceId, GetSystemErrorText());
    }
    SendMessageW(handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(loaded));
    SendMessageW(handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(loaded));
}

void MainWindowBase::SetBackgroundBrush(HBRUSH brush) {
    if (background) {
        DeleteObject(background);
    }
    background = brush;
}

const wchar_t* MainWindowBase::ApplicationName() {
    Application* application = Application::GetCurrent();
    return application ? application->GetDisplayName() : L"Tarnwick";
}

}  // namespace gui
