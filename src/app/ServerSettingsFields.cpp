#include "app/ServerSettingsFields.h"

#include <algorithm>

#include "app/ProcessInfo.h"

namespace {

const int kInset = 5;
const int kGap = 2;
const int kFieldHeight = 24;
const int kLabelHeight = 16;

std::wstring TextOf(HWND control) {
    int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    int copied = GetWindowTextW(control, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

std::wstring Trimmed(const std::wstring& text) {
    size_t first = text.find_first_not_of(L" \t");
    return first == std::wstring::npos ? std::wstring() : text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

}  // namespace

ServerSettingsFields::ServerSettingsFields() : WindowPane(L"ServerSettingsFields"), filling(false) {
    // The dialog keys look for tab stops inside this pane too.
    extendedStyle |= WS_EX_CONTROLPARENT;
    // The full path is shortened in its middle when it does not fit.
    logPath.AddStyle(SS_PATHELLIPSIS | SS_NOPREFIX);
    problemLine.AddStyle(SS_NOPREFIX);
    window.AddStyle(BS_NOTIFY);
    rows = {
        {L"Environment variables: NAME=value lines, -NAME removes one", nullptr, kLabelHeight},
        {nullptr, &environment, 64},
        {L"Environment file", &environmentFile, kFieldHeight},
        {L"Stop program", &stopExecutable, kFieldHeight},
        {L"Stop arguments", &stopArguments, kFieldHeight},
        {L"Stop console signal", &console, kFieldHeight},
        {nullptr, &window, 20},
        {L"Stop timeout (ms)", &timeout, kFieldHeight},
        {L"Log file", &logFile, kFieldHeight},
        {nullptr, &logPath, kLabelHeight},
        {L"Log maxBytes", &maxBytes, kFieldHeight},
        {L"Log backups", &backups, kFieldHeight},
        {L"Start after", &after, kFieldHeight},
        {L"Ready text", &ready, kFieldHeight},
        {nullptr, &problemLine, 30},
    };
}

ServerSettingsFields::~ServerSettingsFields() = default;

void ServerSettingsFields::OnCreate() {
    WindowPane::OnCreate();
    CreateRows();
}

void ServerSettingsFields::CreateEdit(gui::EditControl& edit, Id id) {
    edit.SetControlId(id);
    edit.AddStyle(WS_TABSTOP);
    edit.Create(handle);
    // A variable's value may be as long as the system allows; the default limit is shorter.
    SendMessageW(edit.GetHandle(), EM_SETLIMITTEXT, 0, 0);
}

void ServerSettingsFields::CreateList(gui::ComboBoxControl& list, Id id, const std::vector<std::wstring>& items) {
    list.SetId(id);
    list.AddStyle(WS_TABSTOP);
    list.Create(handle);
    for (const std::wstring& item : items) {
        list.AddItem(item.c_str());
    }
}

void ServerSettingsFields::CreateRows() {
    for (const Row& row : rows) {
        if (row.label) {
            labels.emplace_back(new gui::StaticControl());
            labels.back()->AddStyle(SS_NOPREFIX);
            labels.back()->Create(handle);
            labels.back()->SetText(row.label);
        }
    }
    CreateEdit(environment, EnvironmentId);
    CreateEdit(environmentFile, EnvironmentFileId);
    CreateEdit(stopExecutable, StopExecutableId);
    CreateEdit(stopArguments, StopArgumentsId);
    // In the order of StopSettings::Console.
    CreateList(console, ConsoleId, {L"none", L"ctrl-c", L"ctrl-break"});
    window.SetId(WindowId);
    window.AddStyle(WS_TABSTOP);
    window.Create(handle);
    SetWindowTextW(window.GetHandle(), L"Stop: send WM_CLOSE to its windows");
    CreateEdit(timeout, TimeoutId);
    CreateEdit(logFile, LogFileId);
    logPath.SetControlId(LogPathId);
    logPath.Create(handle);
    CreateEdit(maxBytes, MaxBytesId);
    CreateEdit(backups, BackupsId);
    CreateList(after, AfterId, {});
    CreateEdit(ready, ReadyId);
    problemLine.SetControlId(ProblemId);
    problemLine.Create(handle);
}

int ServerSettingsFields::GetHeight() {
    int total = 2 * kInset;
    for (const Row& row : rows) {
        total += row.height + kGap;
    }
    return total;
}

void ServerSettingsFields::OnSize(WPARAM, LPARAM) {
    RECT client = {};
    GetClientRect(handle, &client);
    int width = client.right - client.left - 2 * kInset;
    int labelWidth = std::max(width * 38 / 100, 60);
    int y = kInset;
    size_t label = 0;
    for (const Row& row : rows) {
        if (row.label && !row.control) {
            labels[label++]->SetPosition(kInset, y, width, row.height, SWP_NOZORDER);
        } else if (row.label) {
            labels[label++]->SetPosition(kInset, y + 4, labelWidth - 5, kLabelHeight, SWP_NOZORDER);
            row.control->SetPosition(kInset + labelWidth, y + 2, width - labelWidth, row.height - 4, SWP_NOZORDER);
        } else {
            row.control->SetPosition(kInset, y, width, row.height, SWP_NOZORDER);
        }
        y += row.height + kGap;
    }
}

LRESULT ServerSettingsFields::OnCommand(WPARAM wParam, LPARAM lParam) {
    int id = LOWORD(wParam);
    WORD code = HIWORD(wParam);
    bool list = id == ConsoleId || id == AfterId;
    bool box = id == WindowId;
    bool edited = list ? code == CBN_SELCHANGE : box ? code == BN_CLICKED : code == EN_CHANGE;
    if (edited && !filling) {
        Refresh();
    }
    bool focused = list ? code == CBN_SETFOCUS : box ? code == BN_SETFOCUS : code == EN_SETFOCUS;
    if (focused) {
        SendMessageW(GetParent(handle), WM_COMMAND, wParam, lParam);
    }
    return 0;
}

HWND ServerSettingsFields::GetControl(Id id) const {
    return GetDlgItem(handle, id);
}

std::wstring ServerSettingsFields::GetLogPathText() const {
    return TextOf(logPath.GetHandle());
}

std::wstring ServerSettingsFields::GetProblemText() const {
    return TextOf(problemLine.GetHandle());
}

std::wstring ServerSettingsFields::SelectedText(const gui::ComboBoxControl& list) const {
    int selected = list.GetSelection();
    if (selected < 0) {
        return std::wstring();
    }
    LRESULT length = SendMessageW(list.GetHandle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
    std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    SendMessageW(list.GetHandle(), CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(std::max<LRESULT>(length, 0)));
    return text;
}

ServerSettingsText::Fields ServerSettingsFields::GetFields() {
    ServerSettingsText::Fields fields;
    fields.environment = TextOf(environment.GetHandle());
    fields.environmentFile = TextOf(environmentFile.GetHandle());
    fields.stopExecutable = TextOf(stopExecutable.GetHandle());
    fields.stopArguments = TextOf(stopArguments.GetHandle());
    int signal = console.GetSelection();
    fields.console = signal < 0 ? StopSettings::Console::None : static_cast<StopSettings::Console>(signal);
    fields.window = window.IsChecked();
    fields.timeout = TextOf(timeout.GetHandle());
    fields.logFile = TextOf(logFile.GetHandle());
    fields.maxBytes = TextOf(maxBytes.GetHandle());
    fields.backups = TextOf(backups.GetHandle());
    fields.after = SelectedText(after);
    fields.ready = TextOf(ready.GetHandle());
    return fields;
}

void ServerSettingsFields::Show(const ProcessInfo& info, const std::vector<std::wstring>& otherTitles) {
    shownSettings = info.server;
    configurationFolder = info.configurationFolder;
    ServerSettingsText::Fields fields = ServerSettingsText::Show(info.server);
    filling = true;
    SetWindowTextW(environment.GetHandle(), fields.environment.c_str());
    SetWindowTextW(environmentFile.GetHandle(), fields.environmentFile.c_str());
    SetWindowTextW(stopExecutable.GetHandle(), fields.stopExecutable.c_str());
    SetWindowTextW(stopArguments.GetHandle(), fields.stopArguments.c_str());
    console.Select(static_cast<int>(fields.console));
    SendMessageW(window.GetHandle(), BM_SETCHECK, fields.window ? BST_CHECKED : BST_UNCHECKED, 0);
    SetWindowTextW(timeout.GetHandle(), fields.timeout.c_str());
    SetWindowTextW(logFile.GetHandle(), fields.logFile.c_str());
    SetWindowTextW(maxBytes.GetHandle(), fields.maxBytes.c_str());
    SetWindowTextW(backups.GetHandle(), fields.backups.c_str());
    ShowAfterChoices(fields.after, otherTitles);
    SetWindowTextW(ready.GetHandle(), fields.ready.c_str());
    filling = false;
    Refresh();
}

// An empty choice first, for no "after"; a title no entry has any more stays choosable, so that
// showing the entry does not change it.
void ServerSettingsFields::ShowAfterChoices(const std::wstring& chosen, const std::vector<std::wstring>& otherTitles) {
    SendMessageW(after.GetHandle(), CB_RESETCONTENT, 0, 0);
    std::vector<std::wstring> choices(1);
    for (const std::wstring& title : otherTitles) {
        if (!title.empty() && std::find(choices.begin(), choices.end(), title) == choices.end()) {
            choices.push_back(title);
        }
    }
    if (std::find(choices.begin(), choices.end(), chosen) == choices.end()) {
        choices.push_back(chosen);
    }
    for (const std::wstring& choice : choices) {
        after.AddItem(choice.c_str());
    }
    after.Select(static_cast<int>(std::find(choices.begin(), choices.end(), chosen) - choices.begin()));
}

bool ServerSettingsFields::Read(const ServerSettings& base, ServerSettings& settings, std::wstring& problem) {
    return ServerSettingsText::Read(GetFields(), base, settings, problem);
}

void ServerSettingsFields::Refresh() {
    ServerSettingsText::Fields fields = GetFields();
    ServerSettings read;
    std::wstring found;
    ServerSettingsText::Read(fields, shownSettings, read, found);
    SetWindowTextW(problemLine.GetHandle(), found.c_str());
    // The path as a run would resolve it, from the variables as typed when they can be read.
    ProcessInfo resolving;
    resolving.configurationFolder = configurationFolder;
    resolving.server = shownSettings;
    std::vector<EnvironmentSettings::Change> changes;
    std::wstring ignored;
    if (ServerSettingsText::ParseEnvironment(fields.environment, changes, ignored)) {
        resolving.server.environment.changes = changes;
    }
    resolving.server.log.file = Trimmed(fields.logFile);
    resolving.server.log.present = !resolving.server.log.file.empty();
    String path = resolving.ResolveLogPath();
    std::wstring shown = path.IsEmpty() ? std::wstring() : L"Full path: " + std::wstring(path.GetBuffer());
    SetWindowTextW(logPath.GetHandle(), shown.c_str());
}
