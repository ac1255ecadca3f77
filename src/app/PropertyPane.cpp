#include "app/PropertyPane.h"

#include "util/Exception.h"

namespace {

using Pane = SettingsWindow::PropertyPane;

const wchar_t* const kLabels[Pane::FieldCount] = {
    L"Process/Window's Title", L"Initial Directory", L"Executable", L"Startup Class", L"Classpath", L"JVM Options",
    L"Command Line Arguments",
};

// The description's text behind each field, in field order.
String ProcessInfo::*const kMembers[Pane::FieldCount] = {
    &ProcessInfo::title,
    &ProcessInfo::initialDir,
    &ProcessInfo::executable,
    &ProcessInfo::startupclassname,
    &ProcessInfo::classpath,
    &ProcessInfo::javaOptions,
    &ProcessInfo::commandLineArguments,
};

void AddExtendedStyle(HWND window, LONG_PTR bits) {
    SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | bits);
}

void SetCheck(gui::CheckBoxControl& box, bool checked) {
    SendMessageW(box.GetHandle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

SettingsWindow::PropertyPane::PropertyPane()
    : WindowPane(L"PropertyPane"),
      outputEncodingField(L"Output encoding"),
      outputEncodingList(new gui::ComboBoxControl()),
      layingOut(false),
      shownType(ProcessType::Unknown),
      current(nullptr) {
    outputEncodingField.SetFieldKind(1);
    outputEncodingList->SetId(OutputEncodingList);
    outputEncodingList->AddStyle(WS_TABSTOP);
    outputEncodingField.SetField(outputEncodingList);
    // The dialog keys look for tab stops inside the pane and its composite controls.
    extendedStyle |= WS_EX_CONTROLPARENT;
    style |= WS_VSCROLL;
    for (const wchar_t* label : kLabels) {
        fields.emplace_back(new gui::LabeledFieldControl(label));
    }
}

SettingsWindow::PropertyPane::~PropertyPane() = default;

void SettingsWindow::PropertyPane::OnCreate() {
    WindowPane::OnCreate();
    for (auto& field : fields) {
        field->Create(handle);
        AddExtendedStyle(field->GetHandle(), WS_EX_CONTROLPARENT);
        field->GetField()->AddStyle(WS_TABSTOP);
    }
    CreateRadioGroup(processType, L"Process Type", {{WindowsButton, L"Windows"}, {JavaButton, L"Java"}});
    CreateRadioGroup(restartGroup, L"Restart when it ends by itself",
                     {{NeverButton, L"Never"}, {OnFailureButton, L"On failure"}, {AlwaysButton, L"Always"}});
    startBox.SetId(StartBox);
    startBox.AddStyle(WS_TABSTOP | BS_NOTIFY);
    startBox.Create(handle);
    startBox.SetText(L"Start process automatically");
    disabledBox.SetId(DisabledBox);
    disabledBox.AddStyle(WS_TABSTOP | BS_NOTIFY);
    disabledBox.Create(handle);
    disabledBox.SetText(L"Disabled");
    CreateConsoleControls();
    CreateServerFields();
    SetTabOrder();
}

void SettingsWindow::PropertyPane::CreateRadioGroup(gui::AutoRadioButtonControl& group,
                                                    const wchar_t* caption,
                                                    std::initializer_list<std::pair<int, const wchar_t*>> buttons) {
    group.Create(handle);
    group.SetText(caption);
    AddExtendedStyle(group.GetHandle(), WS_EX_CONTROLPARENT);
    for (const auto& button : buttons) {
        group.AddButton(button.first, button.second)->AddStyle(WS_TABSTOP | BS_NOTIFY);
    }
}

// Tab follows the order on screen: the process type comes right after the initial directory.
void SettingsWindow::PropertyPane::SetTabOrder() {
    HWND order[] = {fields[Title]->GetHandle(),
                    fields[InitialDirectory]->GetHandle(),
                    processType.GetHandle(),
                    fields[Executable]->GetHandle(),
                    fields[StartupClass]->GetHandle(),
                    fields[Classpath]->GetHandle(),
                    fields[JvmOptions]->GetHandle(),
                    fields[Arguments]->GetHandle(),
                    startBox.GetHandle(),
                    restartGroup.GetHandle(),
                    disabledBox.GetHandle(),
                    outputEncodingField.GetHandle(),
                    consoleHintsBox.GetHandle(),
                    serverFields.GetHandle()};
    for (size_t i = 1; i < sizeof(order) / sizeof(order[0]); ++i) {
        SetWindowPos(order[i], order[i - 1], 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

bool SettingsWindow::PropertyPane::IsFieldShown(Field field) const {
    switch (field) {
        case Executable:
            return shownType == ProcessType::Standard;
        case StartupClass:
        case Classpath:
            return shownType == ProcessType::Java;
        case JvmOptions:
            return shownType != ProcessType::Standard;
        default:
            return true;
    }
}

void SettingsWindow::PropertyPane::OnSize(WPARAM, LPARAM) {
    if (!current) {
        ShowWindow(handle, SW_HIDE);
        return;
    }
    if (layingOut) {
        return;  // the outer layout reads the new size itself
    }
    layingOut = true;
    std::vector<gui::WindowControl*> shown = {fields[Title].get(), fields[InitialDirectory].get(), &processType};
    for (Field field : {Executable, StartupClass, Classpath, JvmOptions}) {
        if (IsFieldShown(field)) {
            shown.push_back(fields[field].get());
        }
    }
    for (gui::WindowControl* control :
         std::initializer_list<gui::WindowControl*>{fields[Arguments].get(), &startBox, &restartGroup, &disabledBox,
                                                    &outputEncodingField, &consoleHintsBox, &serverFields}) {
        shown.push_back(control);
    }
    int total = 0;
    for (gui::WindowControl* control : shown) {
        total += control->GetHeight();
    }
    RECT client = {};
    GetClientRect(handle, &client);
    scroll.Update(handle, total, client.bottom - client.top);
    GetClientRect(handle, &client);  // without the bar's width when it just appeared
    int width = client.right - client.left;
    int y = -scroll.GetOffset();
    for (gui::WindowControl* control : shown) {
        int controlHeight = control->GetHeight();
        control->SetPosition(0, y, width, controlHeight, SWP_SHOWWINDOW | SWP_NOZORDER);
        y += controlHeight;
    }
    layingOut = false;
}

LRESULT SettingsWindow::PropertyPane::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_VSCROLL || message == WM_MOUSEWHEEL) && current) {
        if (scroll.OnMessage(handle, message, wParam)) {
            ScrollContent();
        }
        return 0;
    }
    return WindowPane::WindowProc(window, message, wParam, lParam);
}

LRESULT SettingsWindow::PropertyPane::OnCommand(WPARAM wParam, LPARAM lParam) {
    int id = LOWORD(wParam);
    // A field that the keyboard moved to is scrolled into view. Only focus notifications come with
    // these codes: the fields' hosts pass on no others, and the buttons here send no BN_DISABLE.
    WORD code = HIWORD(wParam);
    if ((code == EN_SETFOCUS || code == CBN_SETFOCUS || code == BN_SETFOCUS) && lParam) {
        Reveal(reinterpret_cast<HWND>(lParam));
        return 1;
    }
    if ((id == WindowsButton || id == JavaButton) && HIWORD(wParam) == BN_CLICKED) {
        ShowHideFields(id == JavaButton ? ProcessType::Java : ProcessType::Standard);
        return 1;
    }
    if (id >= NeverButton && id <= AlwaysButton) {
        return 1;  // the choice is read when the fields are applied
    }
    SendMessageW(GetParent(handle), WM_COMMAND, wParam, lParam);
    return 1;
}

void SettingsWindow::PropertyPane::ShowProcessInfo(ProcessInfo* info) {
    current = info;
    if (!info) {
        ShowWindow(handle, SW_HIDE);
        return;
    }
    for (int field = 0; field < FieldCount; ++field) {
        const String& text = info->*kMembers[field];
        fields[field]->SetText(text.IsNull() ? L"" : text.GetBuffer());
    }
    SetCheck(startBox, info->start);
    SetCheck(disabledBox, info->disabled);
    restartGroup.Select(NeverButton + static_cast<int>(info->restart));
    ShowConsoleSettings(*info);
    serverFields.Show(*info, titleSource ? titleSource(info) : std::vector<std::wstring>());
    ShowHideFields(info->type);
    ShowWindow(handle, SW_SHOW);
    OnSize(0, 0);
}

void SettingsWindow::PropertyPane::ShowHideFields(ProcessType type) {
    if (type != shownType) {
        if (type != ProcessType::Standard && type != ProcessType::Java) {
            throw new Exception(L"SettingsWindow::PropertyPane::ShowHideFields ()\nProcessType is not valid.");
        }
        shownType = type;
        for (Field field : {Executable, StartupClass, Classpath, JvmOptions}) {
            ShowWindow(fields[field]->GetHandle(), IsFieldShown(field) ? SW_SHOW : SW_HIDE);
        }
        OnSize(0, 0);
    }
    processType.Select(static_cast<int>(type));
}

String SettingsWindow::PropertyPane::FieldText(Field field) {
    String text;
    return fields[field]->GetField()->GetText(text);
}

bool SettingsWindow::PropertyPane::ReadFields(const ProcessInfo& base, ProcessInfo& fresh, std::wstring& problem) {
    fresh = ProcessInfo();
    for (int field = 0; field < FieldCount; ++field) {
        String text = FieldText(static_cast<Field>(field));
        const String& old = base.*kMembers[field];
        fresh.*kMembers[field] = text.IsEmpty() && old.IsEmpty() ? old : text;
    }
    fresh.type = shownType;
    fresh.start = startBox.IsChecked();
    fresh.disabled = disabledBox.IsChecked();
    fresh.restart = ShownRestart();
    // An entry without the element keeps going without it until another policy is chosen.
    fresh.restartSet = base.restartSet || fresh.restart != RestartPolicy::Mode::Never;
    ReadConsoleSettings(base, fresh);
    // ---- Server settings ----
    fresh.configurationFolder = base.configurationFolder;
    fresh.configurationError = base.configurationError;
    if (!serverFields.Read(base.server, fresh.server, problem)) {
        return false;
    }
    bool sameLog = fresh.server.log == base.server.log && fresh.server.environment == base.server.environment;
    fresh.logPath = sameLog ? base.logPath : fresh.ResolveLogPath();
    return true;
}

RestartPolicy::Mode SettingsWindow::PropertyPane::ShownRestart() const {
    const auto& buttons = restartGroup.GetButtons();
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (SendMessageW(buttons[i]->GetHandle(), BM_GETCHECK, 0, 0) == BST_CHECKED) {
            return static_cast<RestartPolicy::Mode>(i);
        }
    }
    return RestartPolicy::Mode::Never;
}

bool SettingsWindow::PropertyPane::SameSettings(const ProcessInfo& a, const ProcessInfo& b) {
    // The description's comparison takes the environment only: a running process takes the rest.
    const ServerSettings& x = a.server;
    const ServerSettings& y = b.server;
    return a == b && a.restart == b.restart && a.restartSet == b.restartSet && SameConsoleSettings(a, b) &&
           x.stop == y.stop && x.log == y.log && x.order == y.order && x.unread == y.unread;
}

void SettingsWindow::PropertyPane::ApplyToProcessInfo(ProcessInfo* info) {
    if (!info) {
        return;
    }
    ProcessInfo fresh;
    std::wstring problem;
    if (!ReadFields(*info, fresh, problem)) {
        throw new Exception(
            L"SettingsWindow::PropertyPane::ApplyToProcessInfo()\n\"%s\": %s\nNothing was applied; "
            L"the fields keep what you typed.",
            info->title.IsNull() ? L"" : info->title.GetBuffer(), problem.c_str());
    }
    if (SameSettings(fresh, *info)) {
        return;
    }
    *info = fresh;  // the cached process goes with the old fields
    info->modified = true;
}

bool SettingsWindow::PropertyPane::HasUnappliedEdits() {
    if (!current) {
        return false;
    }
    ProcessInfo fresh;
    std::wstring problem;
    return !ReadFields(*current, fresh, problem) || !SameSettings(fresh, *current);
}

// ---- Console output settings ----

void SettingsWindow::PropertyPane::CreateConsoleControls() {
    outputEncodingField.Create(handle);
    AddExtendedStyle(outputEncodingField.GetHandle(), WS_EX_CONTROLPARENT);
    for (util::OutputEncoding::Mode mode : {util::OutputEncoding::Mode::Auto, util::OutputEncoding::Mode::Utf8,
                                            util::OutputEncoding::Mode::Ansi, util::OutputEncoding::Mode::Oem}) {
        outputEncodingList->AddItem(util::OutputEncoding::Name(mode));
    }
    consoleHintsBox.SetId(ConsoleHintsBox);
    consoleHintsBox.AddStyle(WS_TABSTOP | BS_NOTIFY);
    consoleHintsBox.Create(handle);
    consoleHintsBox.SetText(L"Console hints (FORCE_COLOR, PYTHONUNBUFFERED)");
}

void SettingsWindow::PropertyPane::ShowConsoleSettings(const ProcessInfo& info) {
    outputEncodingList->Select(static_cast<int>(info.outputEncoding));
    SetCheck(consoleHintsBox, info.consoleHints);
}

void SettingsWindow::PropertyPane::ReadConsoleSettings(const ProcessInfo& base, ProcessInfo& fresh) const {
    int selected = outputEncodingList->GetSelection();
    fresh.outputEncoding = selected < 0 ? base.outputEncoding : static_cast<util::OutputEncoding::Mode>(selected);
    fresh.consoleHints = consoleHintsBox.IsChecked();
    // An entry without an element keeps going without it until another value is chosen.
    fresh.outputEncodingSet = base.outputEncodingSet || fresh.outputEncoding != util::OutputEncoding::Mode::Auto;
    fresh.consoleHintsSet = base.consoleHintsSet || !fresh.consoleHints;
}

bool SettingsWindow::PropertyPane::SameConsoleSettings(const ProcessInfo& a, const ProcessInfo& b) {
    return a.outputEncoding == b.outputEncoding && a.outputEncodingSet == b.outputEncodingSet &&
           a.consoleHints == b.consoleHints && a.consoleHintsSet == b.consoleHintsSet;
}

// ---- Server settings ----

void SettingsWindow::PropertyPane::CreateServerFields() {
    serverFields.Create(handle);
}

void SettingsWindow::PropertyPane::Reveal(HWND control) {
    RECT place = {};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, handle, reinterpret_cast<POINT*>(&place), 2);
    const int margin = 4;
    int offset = scroll.GetOffset();  // the place in the whole content, not on screen
    if (scroll.Reveal(handle, place.top + offset - margin, place.bottom + offset + margin)) {
        ScrollContent();
    }
}

// Moving the controls leaves what they covered unpainted; the whole pane is drawn again.
void SettingsWindow::PropertyPane::ScrollContent() {
    OnSize(0, 0);
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
