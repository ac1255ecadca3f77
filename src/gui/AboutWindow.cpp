#include "gui/AboutWindow.h"

#include "app/Application.h"
#include "win32/VersionString.h"

namespace gui {

namespace {

const int kIconResource = 100;
const int kIconSide = 48;
const int kMargin = 10;
const int kTitleHeight = 15;
const int kButtonHeight = 25;

// A version-resource string, read once into the application's cache when there is one.
String VersionValue(String Application::*cache, const wchar_t* key) {
    Application* application = Application::GetCurrent();
    return application ? Application::FillFromVersion(application->*cache, key) : GetVersionString(key);
}

const wchar_t* Text(const String& value) {
    return value.IsNull() ? L"" : value.GetBuffer();
}

}  // namespace

AboutWindow::AboutWindow() : MainWindowBase(L"AboutWindow"), iconControl(nullptr) {
    // A captioned popup without system menu, sizing frame or minimise and maximise boxes.
    style &= ~static_cast<DWORD>(WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    style |= WS_POPUP;
}

AboutWindow::~AboutWindow() {
    // The controls go with their objects; the box must not outlive them.
    if (handle && IsWindow(handle)) {
        DestroyWindow(handle);
    }
    delete iconControl;
}

void AboutWindow::OnRegisterClass(WNDCLASSEXW& description) {
    description.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
}

String AboutWindow::DescribeProgram() const {
    String company = VersionValue(&Application::CompanyName, L"CompanyName");
    String line(Text(company));
    if (!authorPage.IsEmpty()) {
        line.Format(L"Author:         <a href=\"%s\">%s</a>", authorPage.GetBuffer(), Text(company));
    }
    String text;
    text.Format(L"\nVersion %s\n%s\n\n%s", Text(VersionValue(&Application::ProductVersion, L"ProductVersion")),
                Text(VersionValue(&Application::FileDescription, L"FileDescription")), Text(line));
    return text;
}

void AboutWindow::OnCreate() {
    SetIcon(kIconResource);
    CenterOnWorkArea();
    String caption;
    caption.Format(L"About %s", ApplicationName());
    SetText(caption.GetBuffer());

    titleLabel.Create(handle);
    titleLabel.SetText(ApplicationName());
    titleFont.bold = true;
    // The label only borrows the font: the TextFont deletes it, once.
    titleLabel.SetFont(titleFont.CreateFromFields(), false);

    textLink.Create(handle);
    textLink.SetText(DescribeProgram().GetBuffer());

    okButton.SetControlId(kOkButtonId);
    okButton.Create(handle);
    okButton.SetText(L"OK");

    CreateIcon();
    SetPosition(0, 0, 280, 220, SWP_NOMOVE);
    CenterOnWorkArea();
}

void AboutWindow::CreateIcon() {
    iconControl = new IconControl(kIconResource);
    iconControl->Create(handle);
    iconControl->SetImage();
    iconControl->SetImageSize(kIconSide, kIconSide);
}

void AboutWindow::OnSize(WPARAM, LPARAM) {
    if (!okButton.GetHandle()) {
        return;  // sized while its controls are still being made
    }
    RECT client = {};
    GetClientRect(handle, &client);
    const int left = client.left + kMargin;
    const int top = client.top + kMargin;
    const int right = client.right - kMargin;
    const int bottom = client.bottom - kMargin;
    if (iconControl && iconControl->GetHandle()) {
        int side = iconControl->GetImageHeight();
        iconControl->SetPosition(right - side, top, side, side, SWP_SHOWWINDOW);
    }
    titleLabel.SetPosition(left, top, right - left, kTitleHeight, SWP_SHOWWINDOW);
    textLink.SetPosition(left, top + kTitleHeight, right - left, bottom - 35 - top - kTitleHeight, SWP_SHOWWINDOW);
    okButton.SetPosition(left, bottom - kButtonHeight, 75 - left, kButtonHeight, SWP_SHOWWINDOW);
    // Centred across the box's width, keeping its size.
    RECT button = {};
    RECT buttonClient = {};
    RECT box = {};
    GetWindowRect(okButton.GetHandle(), &button);
    GetClientRect(okButton.GetHandle(), &buttonClient);
    GetWindowRect(handle, &box);
    okButton.SetPosition((client.right - buttonClient.right) / 2, button.top + 3 + client.bottom - box.bottom, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT AboutWindow::OnCommand(WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) == kOkButtonId) {
        return ShowWindow(handle, SW_HIDE);
    }
    return 0;
}

LRESULT AboutWindow::OnNotify(WPARAM, LPARAM lParam) {
    return textLink.HandleNotify(lParam);
}

int AboutWindow::OnClose() {
    ShowWindow(handle, SW_HIDE);
    return 1;
}

}  // namespace gui
