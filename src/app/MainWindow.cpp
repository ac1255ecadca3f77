#include "app/MainWindow.h"

#include <commctrl.h>

#include <memory>
#include <vector>

#include "app/Application.h"
#include "app/ConfigurationFile.h"
#include "app/InstanceClaim.h"
#include "app/ProcessWindow.h"
#include "app/WindowCommands.h"
#include "app/WindowsApplication.h"
#include "gui/WindowMessageRouter.h"
#include "util/Exception.h"

namespace {

enum Command {
    kAbout = 503,
    kCheckForUpdates = 505,
    kSaveContents = 501,
    kExit = 502,
    kStart = 40002,
    kRestart = 40003,
    kStop = 40004,
    kStartAll = 40005,
    kRestartAll = 40007,
    kEditConfiguration = 40011,
    kReload = 40012,
    kSettings = 40013,
    kOpenSettings = 40101,
    kClear = 40201,
    kTreePanel = 40203,
    kMinimizeToTray = 40208,
    kCascade = 40301,
    kTileVertically = 40313,
    kTileHorizontally = 40314,
};

const int kMainMenu = 204;
// The maker's page, which the About box links to.
const wchar_t* const kAuthorPage = L"https://example.com/tarnwick";
const int kSeparator = -1;
// Exit: how often the ending runs are counted, when the count is shown, when the program goes.
const UINT_PTR kExitTimer = 1;
const UINT kExitPollMs = 50;
const ULONGLONG kExitShowAfterMs = 500;
const ULONGLONG kExitGiveUpAfterMs = 5000;
// The end of the session: what a run ended at its stop timeout is given to write its last lines.
const ULONGLONG kSessionEndMarginMs = 1000;

// The toolbar, left to right: image in the bitmap strip and command (a separator has neither).
const struct {
    int image;
    int command;
} kButtons[] = {
    {3, kStart},     {4, kStop},      {5, kRestart}, {kSeparator, 0},       {2, kSaveContents},      {kSeparator, 0},
    {6, kClear},     {kSeparator, 0}, {9, kCascade}, {10, kTileVertically}, {11, kTileHorizontally}, {kSeparator, 0},
    {kSeparator, 0}, {8, kExit},
};

}  // namespace

MainWindow::MainWindow() : MainWindow(util::version::VersionCheck::Environment()) {}

MainWindow::MainWindow(const util::version::VersionCheck::Environment& updates)
    : MainWindowBase(frameClass),
      versionCheck(updates),
      processWindows(*this, mdiClient),
      loader(*this, processWindows),
      status(*this, toolbar, statusBar),
      panel([this] { return processWindows.Ordered(); }, mdiClient, [this] {
                OnSize(0, 0);
                ScheduleLayoutSave();  // the panel's edge was dragged
            },
            [this] { return exiting; }),
      panelRefreshPending(false),
      exiting(false),
      exitStarted(0),
      exitGiveUpMs(kExitGiveUpAfterMs),
      sessionEnding(false),
      sessionExit(false),
      layoutReady(false) {
    style |= WS_CLIPCHILDREN;
}

MainWindow::~MainWindow() {
    DisposeProcessWindows();
}

void MainWindow::SetConfigurationFile(ConfigurationFile* configurationFile) {
    if (!configurationFile) {
        throw new Exception(L"MainWindow::SetConfigurationFile\n configurationFile is null.");
    }
    loader.SetFile(configurationFile);
}

void MainWindow::SetInstanceClaim(std::unique_ptr<InstanceClaim> claim) {
    loader.SetClaim(std::move(claim));
}

void MainWindow::OnCreate() {
    OpenFrame();
    LoadMenu(kMainMenu);
    CheckMenuItem(GetMenu(handle), kMinimizeToTray, tray.IsEnabled() ? MF_CHECKED : MF_UNCHECKED);
    CreateToolBar();
    CreateClient();
    statusBar.Create(handle);
    if (panel.IsShown()) {
        ShowPanel(true);  // asked for before the frame was made
    }
    // An update accepted at start-up has posted the quit: processes would only start to be killed.
    if (!versionCheck.IsQuitPending()) {
        LoadProcesses();
    }
    OnSize(0, 0);
    ArrangeAtStart();
}

void MainWindow::CreateToolBar() {
    toolbar.Create(handle);
    toolbar.LoadBitmap();
    for (const auto& button : kButtons) {
        TBBUTTON item = {};
        item.iBitmap = button.image == kSeparator ? 0 : button.image;
        item.idCommand = button.command;
        item.fsState = TBSTATE_ENABLED;
        item.fsStyle = button.image == kSeparator ? BTNS_SEP : BTNS_AUTOSIZE;
        SendMessageW(toolbar.GetHandle(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&item));
        SendMessageW(toolbar.GetHandle(), TB_AUTOSIZE, 0, 0);
    }
}

void MainWindow::CreateClient() {
    mdiClient.Create(handle);
    mdiClientHandle = mdiClient.GetHandle();
    kind = FrameWindow;
    WindowsApplication* application = dynamic_cast<WindowsApplication*>(Application::GetCurrent());
    if (application) {
        application->mdiClient = mdiClient.GetHandle();
        application->mainWindow = handle;  // accelerators reach the frame from any of its windows
    }
    ShowWindow(mdiClient.GetHandle(), SW_SHOW);
}

void MainWindow::OnSize(WPARAM, LPARAM) {
    if (!mdiClient.GetHandle()) {
        return;
    }
    RECT area = {};
    GetClientRect(handle, &area);
    if (toolbar.GetHandle()) {
        SendMessageW(toolbar.GetHandle(), TB_AUTOSIZE, 0, 0);
        RECT bar = {};
        GetWindowRect(toolbar.GetHandle(), &bar);
        area.top += bar.bottom - bar.top;
    }
    if (statusBar.GetHandle()) {
        RECT bar = {};
        GetWindowRect(statusBar.GetHandle(), &bar);
        int height = bar.bottom - bar.top;
        statusBar.SetPosition(0, area.bottom - height, area.right, height, SWP_SHOWWINDOW | SWP_NOZORDER);
        area.bottom -= height;
    }
    if (area.bottom < area.top) {
        area.bottom = area.top;
    }
    PlacePanel(area);
    mdiClient.SetPosition(area, SWP_SHOWWINDOW | SWP_NOZORDER);
}

void MainWindow::ArrangeChildren() {
    std::vector<HWND> children = ProcessWindowSet::Children(mdiClient.GetHandle());
    if (children.size() == 1) {
        SendMessageW(mdiClient.GetHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(children.front()), 0);
    } else if (children.size() > 1) {
        SendMessageW(mdiClient.GetHandle(), WM_MDITILE, MDITILE_VERTICAL, 0);
    }
}

void MainWindow::LoadProcesses() {
    processWindows.SetPlacer([this](HWND child, const std::wstring& title) { layout.PlaceChild(child, title); });
    loader.LoadAtStart();
    processWindows.SetPlacer(nullptr);  // a reload keeps what is on screen
    AfterLoad();
}

void MainWindow::ReloadProcesses() {
    loader.Reload();
    AfterLoad();
}

void MainWindow::LoadConfigurationFile() {
    SaveLayout();  // the file left keeps its layout
    auto pathOf = [this] {
        ConfigurationFile* file = loader.GetFile();
        return file ? std::wstring(file->GetPath().GetBuffer()) : std::wstring();
    };
    const std::wstring before = pathOf();
    // The windows of the file opened go where that file's layout had them; the first window made
    // tells that the file did load (the loader swaps files just before).
    bool loaded = false;
    processWindows.SetPlacer([this, &loaded, &pathOf](HWND child, const std::wstring& title) {
        if (!loaded) {
            layout.Load(pathOf());
            loaded = true;
        }
        layout.PlaceChild(child, title);
    });
    loader.OpenOther();
    processWindows.SetPlacer(nullptr);
    if (pathOf() != before) {
        if (!loaded) {
            layout.Load(pathOf());
        }
        ArrangeAtStart();  // else the other file's layout would be written over by the next save
    }
    AfterLoad();
}

void MainWindow::AfterLoad() {
    if (!GetActiveProcessWindow()) {
        ShowNoProcess();  // every entry disabled, or none
    }
    processWindows.StartDue();  // a later entry whose predecessor is ready already starts now
    panel.Refresh();
}

void MainWindow::ApplyProcessInfo(ProcessInfo* info) {
    processWindows.ApplyProcessInfo(info);
}

void MainWindow::DisposeProcessWindows() {
    processWindows.DisposeAll();
}

int MainWindow::CountRunningProcesses() {
    return processWindows.CountRuns();
}

void MainWindow::ShowAbout() {
    if (!aboutWindow.GetHandle()) {
        aboutWindow.SetAuthorPage(kAuthorPage);
        aboutWindow.Create(handle);
        aboutWindow.SetPosition(0, 0, 280, 200, SWP_NOMOVE);
    }
    ShowWindow(aboutWindow.GetHandle(), SW_SHOWNORMAL);
}

void MainWindow::ShowSettings() {
    // Open Settings may have put another configuration in place since the last time.
    settingsWindow.SetConfigurationFile(loader.GetFile());
    if (!settingsWindow.GetHandle()) {
        settingsWindow.Create(handle);
    }
    settingsWindow.Open();
}

ProcessWindow* MainWindow::GetActiveProcessWindow() {
    if (!mdiClient.GetHandle()) {
        return nullptr;
    }
    return dynamic_cast<ProcessWindow*>(mdiClient.GetActiveChild());
}

LRESULT MainWindow::OnCommand(WPARAM wParam, LPARAM) {
    int command = LOWORD(wParam);
    // A command the user gives never ends the program: its failure is shown and nothing else.
    try {
        ProcessWindow* active = GetActiveProcessWindow();
        // Nothing new starts once the program is ending.
        if (exiting && (command == kStart || command == kRestart || command == kStartAll || command == kRestartAll ||
                        command == kReload || command == kOpenSettings)) {
            return 1;
        }
        switch (command) {
            case kOpenSettings:
                LoadConfigurationFile();
                return 1;
            case kExit:
                OnClose();
                return 1;
            case kTreePanel:
                ShowPanel(!panel.IsShown());
                return 1;
            case kMinimizeToTray:
                tray.SetEnabled(!tray.IsEnabled());
                CheckMenuItem(GetMenu(handle), kMinimizeToTray, tray.IsEnabled() ? MF_CHECKED : MF_UNCHECKED);
                return 1;
            case kEditConfiguration:
                loader.GetFile()->OpenInEditor(handle);
                return 1;
            case kReload:
                ReloadProcesses();
                return 1;
            case kSettings:
                ShowSettings();
                return 1;
            case kCheckForUpdates:
                versionCheck.Check(handle, CountRunningProcesses() > 0);
                return 1;
            case kAbout:
                ShowAbout();
                return 1;
            default:
                if (WindowCommands::RunOnAll(command, [this] { return processWindows.Windows(); })) {
                    return 1;
                }
                LayoutArranged(command);
                return WindowCommands::Run(command, active, mdiClient) ? 1 : 0;
        }
    } catch (Exception* e) {
        ShowFailure(e);
        return 1;
    }
}

int MainWindow::OnClose() {
    if (exiting) {
        // Exit again while the runs are asked to end (their timeouts may be long): as a second
        // Stop, it ends them at once, and the program quits as soon as they have ended.
        processWindows.EndRuns();
    } else if (ConfirmExit()) {
        BeginExit();
    }
    return 1;
}

void MainWindow::BeginExit() {
    SaveLayout();
    exiting = true;
    exitStarted = GetTickCount64();
    // Runs with stop steps are given their timeout before the usual margin.
    exitGiveUpMs = kExitGiveUpAfterMs + processWindows.LongestStopTimeoutMs();
    processWindows.EndRuns();
    if (CountRunningProcesses() == 0) {
        FinishExit(false);
        return;
    }
    SetTimer(handle, kExitTimer, kExitPollMs, nullptr);
}

LRESULT MainWindow::OnTimer(WPARAM timerId) {
    if (timerId == FrameTray::callbackMessage) {
        tray.SetTip(TrayTip());
        return 0;
    }
    if (OnLayoutTimer(timerId) || timerId != kExitTimer || !exiting) {
        return 0;
    }
    int ending = CountRunningProcesses();
    ULONGLONG elapsed = GetTickCount64() - exitStarted;
    if (ending == 0 || elapsed >= exitGiveUpMs) {
        FinishExit(ending > 0);
    } else if (elapsed >= kExitShowAfterMs) {
        exitProgress.Show(handle, ending);
    }
    return 0;
}

void MainWindow::FinishExit(bool runsLeft) {
    KillTimer(handle, kExitTimer);
    tray.Remove();
    exitProgress.Close();
    if (runsLeft) {
        ProcessWindow::disposeWaitMs = 0;  // the program ends now; so do the workers with it
    }
    PostQuitMessage(0);
}

LRESULT MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        return OnQueryEndSession();
    }
    if (message == WM_ENDSESSION) {
        OnEndSession(wParam != FALSE);
        return 0;
    }
    if (message == frontMessage) {
        return ComeToFront();  // its answer is the sender's, not the rule of private messages
    }
    LRESULT result = MainWindowBase::WindowProc(window, message, wParam, lParam);
    OnTrayMessage(message, wParam, lParam);  // after the frame's own handling: a minimise is done
    OnLayoutMessage(message, wParam);
    return result;
}

LRESULT MainWindow::OnQueryEndSession() {
    if (!exiting) {
        SaveLayout();  // the session's end is an Exit too, and may come without a WM_ENDSESSION for it
    }
    int running = CountRunningProcesses();
    if (running == 0 || sessionEnding) {
        return TRUE;
    }
    std::wstring reason = ExitProgress::Text(running);
    reason.erase(reason.find_last_not_of(L'.') + 1);  // "Stopping 2 processes"
    ShutdownBlockReasonCreate(handle, reason.c_str());
    sessionEnding = true;
    sessionExit = !exiting;
    // Runs an Exit already asked to end are not asked again: a second stop ends them at once.
    if (sessionExit) {
        exiting = true;  // nothing starts meanwhile
        exitStarted = GetTickCount64();
        exitGiveUpMs = kExitGiveUpAfterMs + processWindows.LongestStopTimeoutMs();
        processWindows.EndRuns();
    }
    return TRUE;
}

void MainWindow::OnEndSession(bool ending) {
    if (!sessionEnding) {
        return;
    }
    sessionEnding = false;
    if (!ending) {
        ShutdownBlockReasonDestroy(handle);
        // The session goes on: an Exit the user asked for still ends the program, else it stays.
        exiting = exiting && !sessionExit;
        return;
    }
    WaitForRuns(exitStarted + exitGiveUpMs - kExitGiveUpAfterMs + kSessionEndMarginMs);
    processWindows.EndRuns();  // what is still ending ends now
    ShutdownBlockReasonDestroy(handle);
    FinishExit(CountRunningProcesses() > 0);
}

void MainWindow::WaitForRuns(ULONGLONG deadline) {
    while (CountRunningProcesses() > 0 && GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));  // for the program's own loop
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

bool MainWindow::ConfirmExit() {
    int running = CountRunningProcesses();
    if (running == 0) {
        return true;
    }
    String question;
    if (running == 1) {
        question = L"1 process is still running.\nExiting will terminate it.\nAre you sure you want to exit?";
    } else {
        question.Format(
            L"%d processes are still running.\nExiting will terminate them.\nAre you sure you want to exit?", running);
    }
    return MessageBoxW(handle, question.GetBuffer(), L"Exit", MB_OKCANCEL | MB_ICONEXCLAMATION | MB_SETFOREGROUND) ==
           IDOK;
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == echoMessage) {
        PostMessageW(reinterpret_cast<HWND>(wParam), echoMessage, wParam, lParam);
        return 1;
    }
    if (message == ProcessWindow::panelMessage) {
        if (lParam == kPanelRefreshNow) {
            panelRefreshPending = false;
            panel.Refresh();
        } else {
            RefreshPanelSoon();
        }
        return 1;
    }
    if (message == ProcessWindow::startOrderMessage) {
        if (!exiting) {
            processWindows.StartDue();  // nothing new starts once the program is ending
        }
        return 1;
    }
    if (message != ProcessWindow::statusMessage || !mdiClient.GetHandle()) {
        return 0;
    }
    RefreshPanelSoon();  // also the note of a window that has gone
    // A note from a window that is no longer the active one is out of date, unless none is left.
    HWND active = reinterpret_cast<HWND>(SendMessageW(mdiClient.GetHandle(), WM_MDIGETACTIVE, 0, 0));
    if (!GetActiveProcessWindow()) {
        ShowNoProcess();
        return 1;
    }
    if (active != reinterpret_cast<HWND>(wParam)) {
        return 0;
    }
    try {
        SetCurrentProcessStatus(static_cast<int>(lParam));
    } catch (Exception* e) {
        ShowFailure(e);
    }
    return 1;
}

LRESULT MainWindow::ComeToFront() {
    if (exiting) {
        return 0;  // the later start waits for this program to end, then starts on its own
    }
    if (IsIconic(handle)) {
        ShowWindow(handle, SW_RESTORE);
    } else if (!IsWindowVisible(handle)) {
        ShowWindow(handle, SW_SHOW);
    }
    // A box the frame shows (Exit's question, a failure) stays in front of it.
    SetForegroundWindow(GetLastActivePopup(handle));
    return 1;
}

void MainWindow::ShowNoProcess() {
    status.ShowNone();
}

void MainWindow::SetCurrentProcessStatus(int state) {
    status.Show(GetActiveProcessWindow(), state);
}

void MainWindow::ShowFailure(Exception* failure) {
    ProcessWindow::ReportFailure(handle, failure);
}
