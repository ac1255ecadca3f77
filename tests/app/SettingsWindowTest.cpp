// The settings window on a scratch configuration, driven by messages as the user drives it.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "FrameFixture.h"
#include "LoadedConfiguration.h"
#include "app/PropertyPane.h"
#include "common/Process.h"
#include "support/MessageBoxWatcher.h"
#include "support/ThrownMessage.h"

namespace {

using testsupport::MessageBoxWatcher;
using testsupport::ScratchDirectory;
using Pane = SettingsWindow::PropertyPane;

// Alpha has an empty element: the form must not take it for a change.
const char kConfiguration[] =
    "<processes>\r\n<!-- kept by hand -->\r\n"
    "<process><title>Alpha</title><executable>alpha.exe</executable><initialDir></initialDir>"
    "<start>false</start></process>\r\n"
    "<process><title>Beta</title><startupclassname>org.Beta</startupclassname><classpath>b.jar</classpath>"
    "<start>false</start></process>\r\n</processes>\r\n";

FILETIME WriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

class SettingsWindowTest : public apptest::FrameTest {
protected:
    void SetUp() override {
        OpenText(kConfiguration);
        OpenSettings();
    }

    void OpenSettings() { Command(40013); }
    SettingsWindow& Settings() { return frame.GetSettingsWindow(); }
    Pane& ThePane() { return Settings().GetPane(); }
    bool SettingsShown() { return IsWindowVisible(Settings().GetHandle()) != FALSE; }

    void Select(int index) {
        HWND tree = Settings().GetTree().GetHandle();
        HTREEITEM item = TreeView_GetRoot(tree);
        for (int i = 0; i < index; ++i) {
            item = TreeView_GetNextSibling(tree, item);
        }
        TreeView_SelectItem(tree, item);
    }
    HWND Edit(Pane::Field field) { return ThePane().GetField(field).GetField()->GetHandle(); }
    void Type(Pane::Field field, const wchar_t* text) { SetWindowTextW(Edit(field), text); }
    std::wstring Shown(Pane::Field field) {
        wchar_t text[256] = {};
        GetWindowTextW(Edit(field), text, 256);
        return text;
    }
    void Press(int id) { SendMessageW(Settings().GetHandle(), WM_COMMAND, id, 0); }
    std::string FileBytes() { return ScratchDirectory::Read(path); }
    // The item texts, top to bottom.
    std::vector<std::wstring> TreeTitles() {
        HWND tree = Settings().GetTree().GetHandle();
        std::vector<std::wstring> titles;
        for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item)) {
            wchar_t text[64] = {};
            TVITEMW query = {TVIF_TEXT, item, 0, 0, text, 64, 0, 0, 0, 0};
            TreeView_GetItem(tree, &query);
            titles.push_back(text);
        }
        return titles;
    }
    // Reads the file as the program does at start.
    apptest::Loaded ReadBack() {
        apptest::Loaded file;
        EXPECT_EQ(L"", file.Load(path));
        return file;
    }
    // Something changed the file while the window kept its descriptions.
    void ChangeOutside(const char* title) {
        Sleep(20);
        dir.Write(L"t.tnkx", std::string("<processes><process><title>") + title +
                                 "</title><executable>x.exe</executable><start>false</start></process>"
                                 "</processes>");
    }
};

TEST_F(SettingsWindowTest, OkWithoutChangeWritesNothingAndDoesNotReload) {
    ASSERT_TRUE(SettingsShown());
    EXPECT_EQ(TreeTitles(), (std::vector<std::wstring>{L"Alpha", L"Beta"}));
    Select(0);
    Select(1);
    // A file the main window would show on a reload; Ok must not ask it to.
    ChangeOutside("Gamma");
    FILETIME before = WriteTime(path);
    std::string bytes = FileBytes();
    Press(SettingsWindow::OkId);
    EXPECT_FALSE(SettingsShown());
    EXPECT_EQ(FileBytes(), bytes);
    FILETIME after = WriteTime(path);
    EXPECT_EQ(0, CompareFileTime(&before, &after));
    EXPECT_EQ(nullptr, Window(L"Gamma"));
    EXPECT_EQ(GetFileAttributesW((path + L".bak").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Non-ASCII text survives the round trip through the file.
TEST_F(SettingsWindowTest, TitleChangeRewritesReloadsAndKeepsTheFirstFileAsBackup) {
    const wchar_t* title = L"Z\u00fcrich \u2013 \u6771\u4eac";
    Select(0);
    Type(Pane::Title, title);
    Type(Pane::Arguments, L"--na\u00efve");
    Press(SettingsWindow::OkId);
    EXPECT_FALSE(SettingsShown());
    apptest::Loaded read = ReadBack();
    ASSERT_EQ(2u, read.Count());
    EXPECT_STREQ(read[0].title.GetBuffer(), title);
    EXPECT_STREQ(read[0].commandLineArguments.GetBuffer(), L"--na\u00efve");
    EXPECT_STREQ(read[0].executable.GetBuffer(), L"alpha.exe");
    EXPECT_NE(nullptr, Window(title));
    EXPECT_NE(nullptr, Window(L"Alpha"));  // the old window stays
    EXPECT_EQ(ScratchDirectory::Read(path + L".bak"), kConfiguration);
    // The backup is the file as the user wrote it: a second rewrite leaves it alone.
    OpenSettings();
    Select(1);
    Type(Pane::Title, L"Beta2");
    Press(SettingsWindow::OkId);
    EXPECT_STREQ(ReadBack()[1].title.GetBuffer(), L"Beta2");
    EXPECT_EQ(ScratchDirectory::Read(path + L".bak"), kConfiguration);
}

TEST_F(SettingsWindowTest, JavaShowsItsFieldsKeepsTheExecutableTextAndNoOtherTypeIsShown) {
    Select(0);
    EXPECT_TRUE(IsWindowVisible(Edit(Pane::Executable)));
    EXPECT_FALSE(IsWindowVisible(Edit(Pane::Classpath)));
    EXPECT_FALSE(IsWindowVisible(Edit(Pane::JvmOptions)));
    SendMessageW(ThePane().GetTypeGroup().GetButtons()[Pane::JavaButton]->GetHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(testsupport::ThrownMessage([&] { ThePane().ShowHideFields(static_cast<ProcessType>(7)); }),
              L"SettingsWindow::PropertyPane::ShowHideFields ()\nProcessType is not valid.");
    EXPECT_FALSE(IsWindowVisible(Edit(Pane::Executable)));
    for (Pane::Field field : {Pane::StartupClass, Pane::Classpath, Pane::JvmOptions}) {
        EXPECT_TRUE(IsWindowVisible(Edit(field))) << field;
    }
    Type(Pane::StartupClass, L"org.Alpha");
    // The start box has the id of Cancel (2): clicking it must not close the window.
    SendMessageW(ThePane().GetStartBox().GetHandle(), BM_CLICK, 0, 0);
    SendMessageW(ThePane().GetDisabledBox().GetHandle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(SettingsShown());
    Select(1);
    ProcessInfo* alpha = Settings().CollectDescriptions()[0];
    EXPECT_STREQ(alpha->executable.GetBuffer(), L"alpha.exe");
    Press(SettingsWindow::OkId);
    apptest::Loaded read = ReadBack();
    EXPECT_EQ(read[0].type, ProcessType::Java);
    EXPECT_STREQ(read[0].startupclassname.GetBuffer(), L"org.Alpha");
    EXPECT_TRUE(read[0].disabled);
    EXPECT_TRUE(read[0].start);
}

TEST_F(SettingsWindowTest, CancelKeepsAppliedEditsForTheNextOkInTreeOrderAndAResizeRestoresTheFields) {
    Select(1);
    Type(Pane::Title, L"Beta1");
    Select(0);  // applies Beta's edit
    EXPECT_EQ(TreeTitles()[1], L"Beta1");
    Type(Pane::Title, L"not applied");
    // A move keeps what the fields hold; a new size shows the description again.
    SetWindowPos(Settings().GetHandle(), nullptr, 30, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(Shown(Pane::Title), L"not applied");
    SetWindowPos(Settings().GetHandle(), nullptr, 0, 0, 600, 620, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(Shown(Pane::Title), L"Alpha");
    Type(Pane::Title, L"not applied");
    Press(SettingsWindow::CancelId);
    EXPECT_FALSE(SettingsShown());
    EXPECT_EQ(FileBytes(), kConfiguration);
    OpenSettings();
    EXPECT_EQ(Shown(Pane::Title), L"Alpha");  // the unapplied edit went with Cancel
    Press(SettingsWindow::OkId);
    apptest::Loaded read = ReadBack();
    ASSERT_EQ(2u, read.Count());
    EXPECT_STREQ(read[0].title.GetBuffer(), L"Alpha");
    EXPECT_STREQ(read[1].title.GetBuffer(), L"Beta1");
}

TEST_F(SettingsWindowTest, FailedWriteKeepsFileEditsAndWindow) {
    Select(0);
    Type(Pane::Title, L"Locked");
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        MessageBoxWatcher watcher;
        Press(SettingsWindow::OkId);
        EXPECT_TRUE(watcher.Wait().found);
    }
    CloseHandle(held);
    EXPECT_EQ(FileBytes(), kConfiguration);
    EXPECT_TRUE(SettingsShown());
    EXPECT_EQ(nullptr, Window(L"Locked"));
    Press(SettingsWindow::OkId);  // the edit is still there and now goes through
    EXPECT_STREQ(ReadBack()[0].title.GetBuffer(), L"Locked");
}

TEST_F(SettingsWindowTest, ReopenShowsAnOutsideChangeUnlessEditsArePending) {
    Press(SettingsWindow::CancelId);
    ChangeOutside("Gamma");
    OpenSettings();
    EXPECT_EQ(TreeTitles(), std::vector<std::wstring>{L"Gamma"});
    // An applied edit, then another change: keep the edit, and ask again before writing over it.
    Select(0);
    Type(Pane::Title, L"Mine");
    ThePane().ApplyToProcessInfo(ThePane().GetCurrent());
    Press(SettingsWindow::CancelId);
    ChangeOutside("Epsilon");
    {
        MessageBoxWatcher keep(0, IDNO);
        OpenSettings();
        EXPECT_NE(keep.Wait().text.find(L"Discard"), std::wstring::npos);
    }
    EXPECT_STREQ(Settings().CollectDescriptions()[0]->title.GetBuffer(), L"Mine");
    {
        MessageBoxWatcher refuse(0, IDNO);
        Press(SettingsWindow::OkId);
        EXPECT_NE(refuse.Wait().text.find(L"Write your settings over it"), std::wstring::npos);
    }
    EXPECT_TRUE(SettingsShown());
    EXPECT_STREQ(ReadBack()[0].title.GetBuffer(), L"Epsilon");
    {
        MessageBoxWatcher overwrite(0, IDYES);
        Press(SettingsWindow::OkId);
        EXPECT_TRUE(overwrite.Wait().found);
    }
    EXPECT_STREQ(ReadBack()[0].title.GetBuffer(), L"Mine");
}

TEST_F(SettingsWindowTest, BrokenFileShowsTheErrorTheNextOpenTriesAgainAndAnotherFileOfTheMainWindowIsShown) {
    Press(SettingsWindow::CancelId);
    Sleep(20);
    dir.Write(L"t.tnkx", "<processes><process><title>x</title></process></processes>");
    {
        MessageBoxWatcher watcher;
        OpenSettings();
        EXPECT_NE(watcher.Wait().text.find(L"neither a standard process"), std::wstring::npos);
    }
    EXPECT_FALSE(SettingsShown());
    EXPECT_TRUE(IsWindow(frame.GetHandle()));
    ChangeOutside("Fixed");
    OpenSettings();
    EXPECT_TRUE(SettingsShown());
    EXPECT_EQ(TreeTitles(), std::vector<std::wstring>{L"Fixed"});
    // A configuration the main window opened since is the one shown.
    Press(SettingsWindow::CancelId);
    ConfigurationFile other;
    other.SetPath(dir.Write(L"other.tnkx",
                            "<processes><process><title>Other</title><executable>o.exe</executable>"
                            "</process></processes>")
                      .c_str());
    frame.SetConfigurationFile(&other);
    OpenSettings();
    EXPECT_EQ(TreeTitles(), std::vector<std::wstring>{L"Other"});
    frame.SetConfigurationFile(&configuration);
}

// The policy alone is a change: written for its entry only, and taken by the running process as it runs.
TEST_F(SettingsWindowTest, ARestartPolicyAloneIsWrittenForItsEntryAndTheProcessKeepsRunning) {
    Rewrite(apptest::ProbeEntry("Ticker", "sleep 60000") +
            "<process><title>Idle</title><executable>i.exe</executable><start>false</start></process>");
    Command(SettingsWindow::ReloadCommand);
    ProcessWindow* ticker = Window(L"Ticker");
    ASSERT_NE(nullptr, ticker);
    const Process* process = ticker->GetProcessInfo()->process;
    ASSERT_TRUE(testsupport::WaitUntil([&] { return process->GetChildProcessId() != 0; }, 10000));
    DWORD child = process->GetChildProcessId();
    OpenSettings();
    Select(0);
    SendMessageW(ThePane().GetRestartGroup().GetButtons()[1]->GetHandle(), BM_CLICK, 0, 0);
    Press(SettingsWindow::OkId);
    apptest::Loaded read = ReadBack();
    ASSERT_EQ(2u, read.Count());
    EXPECT_EQ(RestartPolicy::Mode::OnFailure, read[0].restart);
    EXPECT_FALSE(read[1].restartSet);
    EXPECT_NE(std::string::npos, FileBytes().find("<restart>on-failure</restart>"));
    EXPECT_TRUE(ticker->IsProcessRunning());
    EXPECT_EQ(child, process->GetChildProcessId());
    EXPECT_EQ(RestartPolicy::Mode::OnFailure, process->GetRestartPolicy());
}

// The output encoding and the console hints are changes of their own: written for their entry
// only, shown again with it, and the drop-down lists the encodings by their configuration names.
TEST_F(SettingsWindowTest, OutputEncodingAndConsoleHintsAreWrittenForTheirEntryOnly) {
    gui::ComboBoxControl& encodings = ThePane().GetOutputEncodingList();
    gui::CheckBoxControl& hints = ThePane().GetConsoleHintsBox();
    Select(0);
    EXPECT_EQ(0, encodings.GetSelection());  // "auto", as the entry has no element
    EXPECT_TRUE(hints.IsChecked());
    std::vector<std::wstring> items;
    for (int i = 0; i < SendMessageW(encodings.GetHandle(), CB_GETCOUNT, 0, 0); ++i) {
        wchar_t item[32] = {};
        SendMessageW(encodings.GetHandle(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        items.push_back(item);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"auto", L"utf-8", L"ansi", L"oem"}), items);
    EXPECT_FALSE(ThePane().HasUnappliedEdits());
    encodings.Select(3);
    EXPECT_TRUE(ThePane().HasUnappliedEdits());
    SendMessageW(hints.GetHandle(), BM_CLICK, 0, 0);
    Press(SettingsWindow::OkId);
    apptest::Loaded read = ReadBack();
    ASSERT_EQ(2u, read.Count());
    EXPECT_EQ(util::OutputEncoding::Mode::Oem, read[0].outputEncoding);
    EXPECT_FALSE(read[0].consoleHints);
    EXPECT_FALSE(read[1].outputEncodingSet || read[1].consoleHintsSet);
    EXPECT_NE(std::string::npos, FileBytes().find("<outputEncoding>oem</outputEncoding>"));
    EXPECT_NE(std::string::npos, FileBytes().find("<consoleHints>false</consoleHints>"));
    OpenSettings();
    Select(1);
    EXPECT_EQ(0, encodings.GetSelection());
    EXPECT_TRUE(hints.IsChecked());
    Select(0);
    EXPECT_EQ(3, encodings.GetSelection());
    EXPECT_FALSE(hints.IsChecked());
    // Back to the defaults: the elements stay, with the default values, as a restart policy does.
    encodings.Select(0);
    SendMessageW(hints.GetHandle(), BM_CLICK, 0, 0);
    Press(SettingsWindow::OkId);
    EXPECT_NE(std::string::npos, FileBytes().find("<outputEncoding>auto</outputEncoding>"));
    EXPECT_NE(std::string::npos, FileBytes().find("<consoleHints>true</consoleHints>"));
}

// Keys go through the program's own message loop, as typed.
TEST_F(SettingsWindowTest, TabEnterAndEscapeWorkThroughTheMessageLoop) {
    Select(0);
    auto key = [&](WPARAM vk) {
        PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
        PostQuitMessage(0);
        application.MessageLoop();
    };
    SetFocus(Edit(Pane::Title));
    key(VK_TAB);
    EXPECT_EQ(GetFocus(), Edit(Pane::InitialDirectory));
    key(VK_TAB);
    EXPECT_EQ(GetParent(GetFocus()), ThePane().GetTypeGroup().GetHandle());
    // Tab leaves the multi-line field of the variables, where Enter starts a new line.
    HWND variables = ThePane().GetServerFields().GetControl(ServerSettingsFields::EnvironmentId);
    SetFocus(variables);
    key(VK_RETURN);
    EXPECT_TRUE(SettingsShown());
    key(VK_TAB);
    EXPECT_EQ(GetFocus(), ThePane().GetServerFields().GetControl(ServerSettingsFields::EnvironmentFileId));
    key(VK_ESCAPE);
    EXPECT_FALSE(SettingsShown());
    OpenSettings();
    SetFocus(Edit(Pane::Title));
    Type(Pane::Title, L"Entered");
    key(VK_RETURN);
    EXPECT_FALSE(SettingsShown());
    EXPECT_STREQ(ReadBack()[0].title.GetBuffer(), L"Entered");
}

}  // namespace

namespace {

// An edit in the form keeps the elements the form has no field for.
TEST_F(SettingsWindowTest, AnEditKeepsTheServerElementsOfItsEntry) {
    Press(SettingsWindow::CancelId);
    Sleep(20);
    dir.Write(L"t.tnkx",
              "<processes><process><title>Server</title><executable>s.exe</executable><start>false</start>"
              "<environment><variable><name>PORT</name><value>80</value></variable><remove>TMP</remove>"
              "</environment><stop><console>ctrl-break</console><timeout>500</timeout></stop>"
              "<log><file>s.log</file><backups>2</backups></log><after>Other</after><ready>up</ready></process>"
              "<process><title>Other</title><executable>o.exe</executable><start>false</start></process>"
              "</processes>");
    OpenSettings();
    Select(0);
    Type(Pane::Arguments, L"--verbose");
    Press(SettingsWindow::OkId);
    apptest::Loaded read = ReadBack();
    ASSERT_EQ(2u, read.Count());
    EXPECT_STREQ(L"--verbose", read[0].commandLineArguments.GetBuffer());
    const ServerSettings& server = read[0].server;
    ASSERT_EQ(2u, server.environment.changes.size());
    EXPECT_TRUE(server.environment.changes[1].remove);
    EXPECT_EQ(StopSettings::Console::CtrlBreak, server.stop.console);
    EXPECT_EQ(500u, server.stop.timeoutMs);
    EXPECT_EQ(2u, server.log.backups);
    EXPECT_EQ(L"up", server.order.ready);
    EXPECT_STREQ(L"", read[0].configurationError.IsNull() ? L"" : read[0].configurationError.GetBuffer());
}

}  // namespace

namespace {

using Fields = ServerSettingsFields;

// The server fields show what the file holds, keep a value they cannot read with its problem on
// screen, and write back only what is set.
TEST_F(SettingsWindowTest, ServerFieldsShowTheFileRefuseABadValueAndWriteOnlyWhatIsSet) {
    Press(SettingsWindow::CancelId);
    Sleep(20);
    dir.Write(L"t.tnkx",
              "<processes><process><title>Server</title><executable>s.exe</executable><start>false</start>"
              "<environment><variable><name>LOGNAME</name><value>srv</value></variable><remove>TMP</remove>"
              "</environment><stop><executable>stop.exe</executable><timeout>500</timeout></stop>"
              "<log><file>logs\\%LOGNAME%.log</file><backups>2</backups></log><after>Other</after><ready>up</ready>"
              "</process><process><title>Other</title><executable>o.exe</executable><start>false</start></process>"
              "</processes>");
    OpenSettings();
    Select(0);
    Fields& server = ThePane().GetServerFields();
    auto control = [&](Fields::Id id) { return server.GetControl(id); };
    auto text = [&](Fields::Id id) {
        wchar_t shown[256] = {};
        GetWindowTextW(control(id), shown, 256);
        return std::wstring(shown);
    };
    const std::wstring folder = path.substr(0, path.rfind(L'\\'));
    EXPECT_EQ(L"LOGNAME=srv\r\n-TMP", text(Fields::EnvironmentId));
    EXPECT_EQ(L"500", text(Fields::TimeoutId));
    EXPECT_EQ(L"Full path: " + folder + L"\\logs\\srv.log", server.GetLogPathText());
    EXPECT_EQ(2, SendMessageW(control(Fields::AfterId), CB_GETCOUNT, 0, 0));  // none and "Other"
    EXPECT_EQ(1, SendMessageW(control(Fields::AfterId), CB_GETCURSEL, 0, 0));
    // The full path follows the variables as they are typed (a multi-line field tells of a change
    // only for typing, not for a new text set as a whole).
    SendMessageW(control(Fields::EnvironmentId), EM_SETSEL, 0, -1);
    SendMessageW(control(Fields::EnvironmentId), EM_REPLACESEL, TRUE,
                 reinterpret_cast<LPARAM>(L"LOGNAME = web\r\n\r\n-TMP\r\nEXTRA=\"  x  \""));
    EXPECT_EQ(L"Full path: " + folder + L"\\logs\\web.log", server.GetLogPathText());
    SetWindowTextW(control(Fields::TimeoutId), L"soon");
    EXPECT_EQ(0u, server.GetProblemText().find(L"Stop timeout (ms): \"soon\""));
    {
        MessageBoxWatcher watcher;
        Press(SettingsWindow::OkId);
        EXPECT_NE(std::wstring::npos, watcher.Wait().text.find(L"\"Server\": Stop timeout (ms)"));
    }
    {
        MessageBoxWatcher watcher;
        Select(1);  // refused: the fields stay on the entry they belong to
        EXPECT_TRUE(watcher.Wait().found);
    }
    EXPECT_TRUE(SettingsShown());
    EXPECT_EQ(L"soon", text(Fields::TimeoutId));
    EXPECT_EQ(Settings().CollectDescriptions()[0], ThePane().GetCurrent());
    EXPECT_EQ(std::string::npos, FileBytes().find("EXTRA"));
    SetWindowTextW(control(Fields::TimeoutId), L"");
    EXPECT_EQ(L"", server.GetProblemText());
    SetWindowTextW(control(Fields::StopArgumentsId), L"--now");
    SendMessageW(control(Fields::ConsoleId), CB_SETCURSEL, 1, 0);
    SendMessageW(control(Fields::WindowId), BM_CLICK, 0, 0);
    SetWindowTextW(control(Fields::BackupsId), L"");
    SetWindowTextW(control(Fields::MaxBytesId), L"4096");
    SendMessageW(control(Fields::AfterId), CB_SETCURSEL, 0, 0);
    SetWindowTextW(control(Fields::ReadyId), L"");
    Press(SettingsWindow::OkId);
    EXPECT_FALSE(SettingsShown());
    apptest::Loaded read = ReadBack();
    ASSERT_EQ(2u, read.Count());
    const ServerSettings& written = read[0].server;
    EXPECT_EQ((std::vector<EnvironmentSettings::Change>{
                  {L"LOGNAME", L"web", false}, {L"TMP", L"", true}, {L"EXTRA", L"  x  ", false}}),
              written.environment.changes);
    EXPECT_EQ(L"stop.exe", written.stop.executable);
    EXPECT_EQ(L"--now", written.stop.arguments);
    EXPECT_EQ(StopSettings::Console::CtrlC, written.stop.console);
    EXPECT_TRUE(written.stop.window);
    EXPECT_EQ(4096u, written.log.maxBytes);
    EXPECT_FALSE(written.stop.timeoutSet || written.log.backupsSet || written.order.afterSet || written.order.readySet);
    for (const char* gone : {"<timeout>", "<backups>", "<after>", "<ready>"}) {
        EXPECT_EQ(std::string::npos, FileBytes().find(gone)) << gone;
    }
    EXPECT_FALSE(read[1].server.stop.present || read[1].server.log.present);
}

// The window's first size is too small for all the fields: they scroll, and a field that takes
// the focus scrolls into view.
TEST_F(SettingsWindowTest, FieldsScrollAndTheFocusedOneComesIntoView) {
    Select(0);
    HWND pane = ThePane().GetHandle();
    auto inView = [&](HWND control) {
        RECT shown = {};
        RECT area = {};
        GetWindowRect(control, &shown);
        GetClientRect(pane, &area);
        MapWindowPoints(pane, nullptr, reinterpret_cast<POINT*>(&area), 2);
        return shown.top >= area.top && shown.bottom <= area.bottom;
    };
    HWND ready = ThePane().GetServerFields().GetControl(Fields::ReadyId);
    HWND title = Edit(Pane::Title);
    ASSERT_FALSE(inView(ready));
    SetFocus(ready);
    EXPECT_TRUE(inView(ready));
    EXPECT_FALSE(inView(title));
    SetFocus(ThePane().GetDisabledBox().GetHandle());
    EXPECT_TRUE(inView(ThePane().GetDisabledBox().GetHandle()));
    SetFocus(title);
    EXPECT_TRUE(inView(title));
    SendMessageW(pane, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_TRUE(inView(ready));
    SendMessageW(pane, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA * 50), 0);
    EXPECT_TRUE(inView(title));
}

}  // namespace
