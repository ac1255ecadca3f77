#pragma once

#include <windows.h>

#include "gui/ButtonControl.h"
#include "gui/IconControl.h"
#include "gui/MainWindowBase.h"
#include "gui/StaticControl.h"
#include "gui/SysLinkControl.h"
#include "gui/TextFont.h"

namespace gui {

// The Help menu's About box: the program's icon, its name in bold, version, description and maker
// (with a link when the owner gives one) and "OK". Created once, then only shown and hidden.
class AboutWindow : public MainWindowBase {
public:
    static const int kOkButtonId = 504;

    AboutWindow();
    ~AboutWindow() override;

    void OnRegisterClass(WNDCLASSEXW& description) override;
    void OnCreate() override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam) override;
    // Closing the box (Alt+F4, WM_CLOSE) only hides it: unlike the frame's, it never ends the program.
    int OnClose() override;

    // Before Create: the page that the company name links to, behind "Author:". The link control
    // is given its text once (see SysLinkControl).
    void SetAuthorPage(const wchar_t* url) { authorPage = url; }
    // "\nVersion <version>\n<description>\n\n<company line>" from the program's version resource.
    String DescribeProgram() const;

    SysLinkControl& GetLink() { return textLink; }
    StaticControl& GetTitle() { return titleLabel; }
    ButtonControl& GetOkButton() { return okButton; }
    TextFont& GetTitleFont() { return titleFont; }

private:
    void CreateIcon();

    ButtonControl okButton;
    StaticControl titleLabel;
    SysLinkControl textLink;
    TextFont titleFont;
    IconControl* iconControl;  // owned; made at creation
    String authorPage;
};

}  // namespace gui
