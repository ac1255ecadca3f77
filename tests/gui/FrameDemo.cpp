// The framework's demonstration: a frame with menu, toolbar, status bar and two MDI children
// showing process output, and a form with a tree and a pane of fields on either side of a
// splitter. "--quit-after <ms>" ends it by itself (the test run uses it; so does the screenshot).
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

#include "app/WindowsApplication.h"
#include "gui/AutoRadioButtonControl.h"
#include "gui/ButtonControl.h"
#include "gui/CheckBoxControl.h"
#include "gui/LabeledFieldControl.h"
#include "gui/MDIChildWindow.h"
#include "gui/MDIClientWindow.h"
#include "gui/MainWindowBase.h"
#include "gui/RichEditControl.h"
#include "gui/SplitterControl.h"
#include "gui/StatusBarControl.h"
#include "gui/ToolBarControl.h"
#include "gui/TreeViewControl.h"
#include "gui/WindowPane.h"
#include "util/Exception.h"

namespace {

const UINT_PTR quitTimer = 1;

class DemoChild : public gui::MDIChildWindow {
public:
    DemoChild(const wchar_t* output, int iconId) : MDIChildWindow(L"DemoChild"), output(output), iconId(iconId) {
        style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        view.AddStyle(ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL);
    }

    void OnCreate() override {
        view.Create(handle);
        view.SetText(output);
        HICON icon = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, 16, 16, LR_SHARED));
        SendMessageW(handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }

    void OnSize(WPARAM, LPARAM) override {
        RECT area = {};
        GetClientRect(handle, &area);
        view.SetPosition(area, SWP_SHOWWINDOW | SWP_NOZORDER);
    }

private:
    const wchar_t* output;
    int iconId;
    gui::RichEditControl view;
};

// The right side of the form: labelled fields, a radio group and check boxes, stacked.
class DemoPane : public gui::WindowPane {
public:
    DemoPane() : WindowPane(L"DemoPane"), title(L"Process/Window's Title"), executable(L"Executable"),
                 arguments(L"Command Line Arguments") {}

    void OnCreate() override {
        WindowPane::OnCreate();
        title.Create(handle);
        title.SetText(L"Build server");
        type.Create(handle);
        type.SetText(L"Process Type");
        type.AddButton(0, L"Windows");
        type.AddButton(1, L"Java");
        type.Select(0);
        executable.Create(handle);
        executable.SetText(L"C:\\Tools\\build-server.bat");
        arguments.Create(handle);
        arguments.SetText(L"--port 8080 --verbose");
        start.SetId(2);
        start.Create(handle);
        start.SetText(L"true");
        start.Window::SetText(L"Start process automatically");  // the value set the state only
        disabled.SetId(3);
        disabled.Create(handle);
        disabled.SetText(L"false");
        disabled.Window::SetText(L"Disabled");
    }

    void OnSize(WPARAM, LPARAM) override {
        RECT area = {};
        GetClientRect(handle, &area);
        int y = 0;
        gui::WindowControl* stack[] = {&title, &type, &executable, &arguments, &start, &disabled};
        for (gui::WindowControl* control : stack) {
            int height = control->GetHeight();
            control->SetPosition(0, y, area.right, height, SWP_SHOWWINDOW | SWP_NOZORDER);
            y += height;
        }
    }

private:
    gui::LabeledFieldControl title;
    gui::AutoRadioButtonControl type;
    gui::LabeledFieldControl executable;
    gui::LabeledFieldControl arguments;
    gui::CheckBoxControl start;
    gui::CheckBoxControl disabled;
};

class DemoForm : public gui::MainWindowBase {
public:
    DemoForm() : MainWindowBase(L"DemoForm") { SetBackgroundBrush(CreateSolidBrush(GetSysColor(COLOR_BTNFACE))); }

    void OnCreate() override {
        MainWindowBase::OnCreate();
        SetText(L"Settings (Experimental)");
        ok.SetControlId(50001);
        ok.AddStyle(BS_DEFPUSHBUTTON);
        ok.Create(handle);
        ok.SetText(L"Ok");
        cancel.SetControlId(50002);
        cancel.Create(handle);
        cancel.SetText(L"Cancel");
        splitter.Create(handle);
        tree.Create(splitter.GetHandle());
        HTREEITEM first = tree.InsertItem(L"Build server", 1);
        tree.InsertItem(L"Log watcher", 2);
        tree.InsertItem(L"Java service", 3);
        TreeView_SelectItem(tree.GetHandle(), first);
        pane.Create(splitter.GetHandle());
        splitter.SetPanes(&tree, &pane);
        SetPosition(725, 250, 505, 470, SWP_SHOWWINDOW);
        splitter.SetBarPosition(160);
        splitter.OnSize(0, 0);
    }

    void OnSize(WPARAM, LPARAM) override {
        RECT area = {};
        GetClientRect(handle, &area);
        ok.SetPosition(area.right - 190, area.bottom - 35, 80, 25, SWP_SHOWWINDOW | SWP_NOZORDER);
        cancel.SetPosition(area.right - 90, area.bottom - 35, 80, 25, SWP_SHOWWINDOW | SWP_NOZORDER);
        splitter.SetPosition(10, 10, area.right - 20, area.bottom - 55, SWP_SHOWWINDOW | SWP_NOZORDER);
    }

    int OnClose() override {
        ShowWindow(handle, SW_HIDE);
        return 1;
    }

private:
    gui::ButtonControl ok;
    gui::ButtonControl cancel;
    gui::SplitterControl splitter;
    gui::TreeViewControl tree;
    DemoPane pane;
};

class DemoFrame : public gui::MainWindowBase {
public:
    DemoFrame() : MainWindowBase(L"DemoFrame") {}

    void OnCreate() override {
        MainWindowBase::OnCreate();
        SetMenu(handle, BuildMenu());
        toolbar.Create(handle);
        toolbar.LoadBitmap();
        AddButtons();
        status.Create(handle);
        status.SetText(L"Process \"Build server\" is running ...");
        client.Create(handle);
        mdiClientHandle = client.GetHandle();
        kind = FrameWindow;
        ShowWindow(client.GetHandle(), SW_SHOW);
        SetPosition(8, 8, 710, 700, SWP_SHOWWINDOW);
    }

    void OpenChildren() {
        OpenChild(L"Log watcher", IDI_STOPPED_ICON,
                  L"Watching C:\\Logs\\service.log\r\n"
                  L"[12:00:01] service started\r\n[12:00:07] 3 requests served\r\n"
                  L"[12:01:15] cache refreshed\r\nProcess stopped (exit code 0).\r\n");
        OpenChild(L"Build server", IDI_RUNNING_ICON,
                  L"C:\\Projects> build-server.bat --port 8080 --verbose\r\n"
                  L"Build server 2.4 listening on port 8080\r\n"
                  L"[12:02:10] job 41: compiling 128 files\r\n[12:02:31] job 41: linking\r\n"
                  L"[12:02:33] job 41: succeeded in 23.1 s\r\n[12:03:02] job 42: queued\r\n");
        SendMessageW(client.GetHandle(), WM_MDITILE, MDITILE_VERTICAL, 0);
    }

    void OnSize(WPARAM, LPARAM) override {
        RECT area = {};
        GetClientRect(handle, &area);
        SendMessageW(toolbar.GetHandle(), TB_AUTOSIZE, 0, 0);
        SendMessageW(status.GetHandle(), WM_SIZE, 0, 0);
        RECT bar = {};
        RECT foot = {};
        GetWindowRect(toolbar.GetHandle(), &bar);
        GetWindowRect(status.GetHandle(), &foot);
        int top = bar.bottom - bar.top;
        int bottom = area.bottom - (foot.bottom - foot.top);
        if (client.GetHandle()) {
            client.SetPosition(0, top, area.right, bottom - top, SWP_SHOWWINDOW | SWP_NOZORDER);
        }
    }

    LRESULT OnCommand(WPARAM wParam, LPARAM) override {
        switch (LOWORD(wParam)) {
            case 502:
                PostQuitMessage(0);
                return 0;
            case 40301:
                SendMessageW(client.GetHandle(), WM_MDICASCADE, 0, 0);
                return 0;
            case 40313:
                SendMessageW(client.GetHandle(), WM_MDITILE, MDITILE_VERTICAL, 0);
                return 0;
            case 40314:
                SendMessageW(client.GetHandle(), WM_MDITILE, MDITILE_HORIZONTAL, 0);
                return 0;
            default:
                return 1;
        }
    }

    LRESULT OnTimer(WPARAM timer) override {
        if (timer == quitTimer) {
            PostQuitMessage(0);
        }
        return 0;
    }

private:
    static const int IDI_RUNNING_ICON = 102;
    static const int IDI_STOPPED_ICON = 103;

    static HMENU BuildMenu() {
        HMENU bar = CreateMenu();
        HMENU file = CreatePopupMenu();
        AppendMenuW(file, MF_STRING, 501, L"&Save Contents...");
        AppendMenuW(file, MF_STRING, 502, L"E&xit");
        HMENU process = CreatePopupMenu();
        AppendMenuW(process, MF_STRING, 40002, L"&Start");
        AppendMenuW(process, MF_STRING, 40004, L"St&op");
        AppendMenuW(process, MF_STRING, 40003, L"&Restart");
        HMENU window = CreatePopupMenu();
        AppendMenuW(window, MF_STRING, 40301, L"&Cascade");
        AppendMenuW(window, MF_STRING, 40313, L"Tile &Vertically");
        AppendMenuW(window, MF_STRING, 40314, L"Tile &Horizontally");
        AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(file), L"&File");
        AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(process), L"&Process");
        AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(window), L"Window");
        return bar;
    }

    void AddButtons() {
        // image number, command; -1 a separator
        const int buttons[][2] = {{2, 501}, {-1, 0},   {3, 40002},  {4, 40004},  {5, 40003}, {-1, 0},
                                  {6, 40201}, {-1, 0}, {9, 40301}, {10, 40313}, {11, 40314}, {-1, 0}, {8, 502}};
        for (const auto& b : buttons) {
            TBBUTTON button = {};
            button.iBitmap = b[0] < 0 ? 0 : b[0];
            button.idCommand = b[1];
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = b[0] < 0 ? BTNS_SEP : BTNS_BUTTON;
            SendMessageW(toolbar.GetHandle(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
        }
        // The process is running: Start is greyed, as the main window will keep it.
        SendMessageW(toolbar.GetHandle(), TB_ENABLEBUTTON, 40002, FALSE);
    }

    void OpenChild(const wchar_t* title, int icon, const wchar_t* output) {
        DemoChild* child = new DemoChild(output, icon);  // deleted by the client
        child->SetFrameWindow(this);
        child->Create(client.GetHandle());
        child->SetText(title);
    }

    gui::ToolBarControl toolbar;
    gui::StatusBarControl status;
    gui::MDIClientWindow client;
};

class DemoApplication : public WindowsApplication {
public:
    DemoApplication() : WindowsApplication(L"FrameDemo") {}

    int Run() override {
        DemoFrame frame;
        frame.Create(nullptr);
        frame.OpenChildren();
        DemoForm form;
        form.Create(nullptr);
        SetForegroundWindow(frame.GetHandle());
        if (quitAfter > 0) {
            SetTimer(frame.GetHandle(), quitTimer, static_cast<UINT>(quitAfter), nullptr);
        }
        return MessageLoop();
    }

    int quitAfter = 0;
};

DemoApplication application;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    for (int i = 1; i + 1 < application.argc; ++i) {
        if (application.arguments[i].Equals(L"--quit-after")) {
            application.quitAfter = _wtoi(application.arguments[i + 1].GetBuffer());
        }
    }
    try {
        return application.Run();
    } catch (Exception* e) {
        e->Show();
        delete e;
        return 1;
    }
}
