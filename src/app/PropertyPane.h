#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/ProcessInfo.h"
#include "app/ServerSettingsFields.h"
#include "app/SettingsWindow.h"
#include "gui/AutoRadioButtonControl.h"
#include "gui/CheckBoxControl.h"
#include "gui/ComboBoxControl.h"
#include "gui/LabeledFieldControl.h"
#include "gui/VerticalScroll.h"
#include "gui/WindowPane.h"

// The fields of one process description: seven labelled texts, the process type, the two check
// boxes, the restart policy, the console output settings and the server settings. Only the fields
// of the type on screen are shown; the others keep their texts. The fields scroll when they are
// taller than the pane.
class SettingsWindow::PropertyPane : public gui::WindowPane {
public:
    // The labelled fields, in the order they are created.
    enum Field { Title, InitialDirectory, Executable, StartupClass, Classpath, JvmOptions, Arguments, FieldCount };
    enum { WindowsButton = 0, JavaButton = 1, StartBox = 2, DisabledBox = 3 };
    // The restart buttons, in the order of RestartPolicy::Mode.
    enum { NeverButton = 4, OnFailureButton = 5, AlwaysButton = 6 };
    // The console output settings; the drop-down's items are in the order of OutputEncoding::Mode.
    enum { OutputEncodingList = 7, ConsoleHintsBox = 8 };

    // The titles of the descriptions other than the one given, for the start order's drop-down.
    using TitleSource = std::function<std::vector<std::wstring>(const ProcessInfo* shown)>;

    PropertyPane();
    ~PropertyPane() override;

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCreate() override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;

    // Fills the fields from info and shows the pane; null hides it. info is not owned.
    void ShowProcessInfo(ProcessInfo* info);
    // Moves the fields into info when they differ from it, marking it modified. A value that
    // cannot be read throws, and then info and the fields stay as they are.
    void ApplyToProcessInfo(ProcessInfo* info);
    // Shows the fields of type and selects its button; a type other than Standard or Java throws.
    void ShowHideFields(ProcessType type);
    // Whether the fields on screen differ from the description they show.
    bool HasUnappliedEdits();

    ProcessInfo* GetCurrent() const { return current; }
    ProcessType GetShownType() const { return shownType; }
    gui::LabeledFieldControl& GetField(Field field) { return *fields[field]; }
    gui::AutoRadioButtonControl& GetTypeGroup() { return processType; }
    gui::CheckBoxControl& GetStartBox() { return startBox; }
    gui::CheckBoxControl& GetDisabledBox() { return disabledBox; }
    gui::AutoRadioButtonControl& GetRestartGroup() { return restartGroup; }
    gui::ComboBoxControl& GetOutputEncodingList() { return *outputEncodingList; }
    gui::CheckBoxControl& GetConsoleHintsBox() { return consoleHintsBox; }
    ServerSettingsFields& GetServerFields() { return serverFields; }
    void SetTitleSource(TitleSource source) { titleSource = std::move(source); }

private:
    // A description built from what the fields hold; texts that only differ from base by being
    // null instead of empty are taken from base, so that they compare equal. False, with the
    // problem, for a value that cannot be read.
    bool ReadFields(const ProcessInfo& base, ProcessInfo& fresh, std::wstring& problem);
    RestartPolicy::Mode ShownRestart() const;
    // The comparison that decides a change: the configured fields and also the restart policy,
    // which the description's own comparison leaves out (a running process takes it as it is).
    static bool SameSettings(const ProcessInfo& a, const ProcessInfo& b);
    void CreateRadioGroup(gui::AutoRadioButtonControl& group,
                          const wchar_t* caption,
                          std::initializer_list<std::pair<int, const wchar_t*>> buttons);
    String FieldText(Field field);
    bool IsFieldShown(Field field) const;
    void SetTabOrder();
    // ---- Console output settings ----
    void CreateConsoleControls();
    void ShowConsoleSettings(const ProcessInfo& info);
    void ReadConsoleSettings(const ProcessInfo& base, ProcessInfo& fresh) const;
    static bool SameConsoleSettings(const ProcessInfo& a, const ProcessInfo& b);
    // ---- Server settings ----
    void CreateServerFields();
    // Scrolls the least that shows control whole.
    void Reveal(HWND control);
    void ScrollContent();

    std::vector<std::unique_ptr<gui::LabeledFieldControl>> fields;
    gui::AutoRadioButtonControl processType;
    gui::CheckBoxControl startBox;
    gui::CheckBoxControl disabledBox;
    gui::AutoRadioButtonControl restartGroup;
    gui::LabeledFieldControl outputEncodingField;
    gui::ComboBoxControl* outputEncodingList;  // owned by outputEncodingField
    gui::CheckBoxControl consoleHintsBox;
    ServerSettingsFields serverFields;
    TitleSource titleSource;
    gui::VerticalScroll scroll;
    bool layingOut;         // showing or hiding the scroll bar resizes the pane in the middle of a layout
    ProcessType shownType;  // Unknown until a description was shown
    ProcessInfo* current;   // not owned
};
