#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/ConfigurationLoader.h"
#include "app/ExitProgress.h"
#include "app/FrameLayout.h"
#include "app/FrameStatus.h"
#include "app/FrameTray.h"
#include "app/ProcessPanel.h"
#include "app/ProcessWindowSet.h"
#include "app/SettingsWindow.h"
#include "gui/AboutWindow.h"
#include "gui/MDIClientWindow.h"
#include "gui/MainWindowBase.h"
#include "gui/StatusBarControl.h"
#include "gui/ToolBarControl.h"
#include "util/version/VersionCheck.h"

class ConfigurationFile;
class Exception;
class InstanceClaim;
class ProcessInfo;
class ProcessWindow;

// The program's frame: menu, toolbar, status bar and the MDI client with one process window per
// configured process. It loads the configuration, routes the commands to the active process
// window and shows the active process's state.
class MainWindow : public gui::MainWindowBase {
public:
    // Posted to the frame with wParam a window and lParam any value, it is posted back to that
    // window unchanged: lets an outside tool time how long a posted message waits for this thread.
    static const UINT echoMessage = WM_APP + 0x300;
    // Sent by a later start on the same configuration: the frame comes to the front (restored when
    // minimised or hidden) and answers 1, or 0 while it is exiting.
    static const UINT frontMessage = WM_APP + 0x302;
    // The frame's window class, by which a later start finds it among its process's windows.
    static constexpr const wchar_t* frameClass = L"MainWindow";

    // Constructing the frame's object runs the start-up update check, silent and bounded.
    MainWindow();
    // The same with what the update check works with given (tests).
    explicit MainWindow(const util::version::VersionCheck::Environment& updates);
    // Ends every process tree: each process window is destroyed with its process.
    ~MainWindow() override;

    // The configuration is not owned. Null throws.
    void SetConfigurationFile(ConfigurationFile* configurationFile);
    // The claim this instance holds on its configuration; it moves with File > Open Settings.
    // Null lets it go.
    void SetInstanceClaim(std::unique_ptr<InstanceClaim> claim);

    void OnCreate() override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Exit: asks, then ends every run; the program quits once they have ended, or 5 s after the
    // longest timeout of their stop steps. Exit again meanwhile ends them at once.
    int OnClose() override;
    // The end of the session (sign-out, shutdown) reaches the frame as two messages; frontMessage
    // is answered here too.
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnTimer(WPARAM timerId) override;

    // Start-up load: a configuration that cannot be loaded ends the program (after the sample).
    void LoadProcesses();
    // Tools > Reload: a configuration that cannot be loaded changes nothing.
    void ReloadProcesses();
    void ApplyProcessInfo(ProcessInfo* info);
    // File > Open Settings: another configuration replaces every process window once it loaded.
    void LoadConfigurationFile();
    ProcessWindow* GetActiveProcessWindow();
    // state: a ProcessWindow::State.
    void SetCurrentProcessStatus(int state);
    // No process window is left: an empty status and no command that needs one.
    void ShowNoProcess();
    // Destroys every process window (ending its process tree) and deletes its object.
    void DisposeProcessWindows();
    // Runs of every process window that have not ended.
    int CountRunningProcesses();
    bool IsExiting() const { return exiting; }
    ExitProgress& GetExitProgress() { return exitProgress; }
    // Help > About: the box is created on the first call, then only shown again.
    void ShowAbout();
    // Tools > Settings: the settings window, made on first use, shown on the current file.
    void ShowSettings();
    // Writes down the frame's layout for the configuration in use (MainWindowLayout.cpp): at Exit,
    // and a moment after the frame or its windows were moved, sized or arranged.
    void SaveLayout();

    ConfigurationFile* GetConfigurationFile() const { return loader.GetFile(); }
    gui::MDIClientWindow& GetMDIClient() { return mdiClient; }
    gui::StatusBarControl& GetStatusBar() { return statusBar; }
    gui::ToolBarControl& GetToolBar() { return toolbar; }
    gui::AboutWindow& GetAboutWindow() { return aboutWindow; }
    util::version::VersionCheck& GetVersionCheck() { return versionCheck; }
    SettingsWindow& GetSettingsWindow() { return settingsWindow; }
    // View > Show the tree panel: the process panel left of the MDI client, and its width in
    // pixels (kept within the panel's bounds), as the remembered layout keeps them.
    bool IsPanelShown() const { return panel.IsShown(); }
    int GetPanelWidth() const { return panel.GetWidth(); }
    void ShowPanel(bool shown);
    void SetPanelWidth(int width);
    ProcessPanel& GetPanel() { return panel; }

private:
    void CreateToolBar();
    void CreateClient();
    // After a load: with no process window active, the status and commands say so; entries
    // whose predecessor is ready start.
    void AfterLoad();
    void ArrangeChildren();
    void RunProcessCommand(int commandId);
    bool ConfirmExit();
    // The answer to frontMessage.
    LRESULT ComeToFront();
    void BeginExit();
    // Quits the loop; with runs still going, the windows no longer wait for them.
    void FinishExit(bool runsLeft);
    void ShowFailure(Exception* failure);
    // The session may end: the runs are asked to end at once, and the system told why this
    // program holds the session up. Always agrees to the end.
    LRESULT OnQueryEndSession();
    // ending: the session ends now, and what the stops have not ended by their timeouts is ended
    // (the system may end this program sooner). Otherwise the session goes on, and so does the
    // program, with the runs that were stopped.
    void OnEndSession(bool ending);
    // Serves this thread's messages until no run is left or the deadline (a tick count) passed.
    void WaitForRuns(ULONGLONG deadline);
    // The frame's icon in the notification area (MainWindowTray.cpp): the messages that concern
    // it, with true when message was one; the tooltip; the menu and its commands.
    bool OnTrayMessage(UINT message, WPARAM wParam, LPARAM lParam);
    std::wstring TrayTip();
    void ShowTrayMenu();
    void RunTrayCommand(int command);
    // The remembered layout (MainWindowLayout.cpp): the frame placed and shown at creation, the
    // windows arranged after the start-up load, the messages and timer that lead to a save.
    void OpenFrame();
    void ArrangeAtStart();
    std::vector<FrameLayout::Child> LayoutChildren();
    void ScheduleLayoutSave();
    bool OnLayoutTimer(WPARAM timerId);
    void OnLayoutMessage(UINT message, WPARAM wParam);
    void LayoutArranged(int command);
    // The process panel (MainWindowPanel.cpp): placed at the left of area, which it leaves to
    // the client.
    void PlacePanel(RECT& area);
    // The panel looks at its rows once the notes waiting now are handled.
    void RefreshPanelSoon();
    // lParam of the panelMessage the frame posts itself for that.
    static const LPARAM kPanelRefreshNow = 1;

    gui::ToolBarControl toolbar;
    gui::MDIClientWindow mdiClient;
    gui::StatusBarControl statusBar;
    gui::AboutWindow aboutWindow;
    util::version::VersionCheck versionCheck;  // its construction is the start-up check
    SettingsWindow settingsWindow;
    ProcessWindowSet processWindows;  // the windows of the client's process entries
    ConfigurationLoader loader;       // the configuration in use, loaded and applied
    FrameStatus status;               // the active process's state in status bar, menu and toolbar
    ProcessPanel panel;               // the rows of the process windows, left of the client
    bool panelRefreshPending;         // RefreshPanelSoon posted its note
    bool exiting;  // Exit was confirmed: the runs are ending
    ULONGLONG exitStarted;
    ULONGLONG exitGiveUpMs;  // how long Exit waits for the runs it asked to end
    bool sessionEnding;      // the session may end: the system waits for this program
    bool sessionExit;        // the session end, not Exit, asked the runs to end
    ExitProgress exitProgress;
    FrameTray tray;
    FrameLayout layout;
    bool layoutReady;  // the start-up placing is over: a move from here on is the user's
};
