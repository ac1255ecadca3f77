#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/ProcessInfo.h"
#include "app/SettingsWindow.h"
#include "gui/AutoRadioButtonControl.h"
#include "gui/CheckBoxControl.h"
#include "gui/LabeledFieldControl.h"
#include "gui/WindowPane.h"

// The fields of one process description: seven labelled texts, the process type and the two
// check boxes. Only the fields of the type on screen are shown; the others keep their texts.
class SettingsWindow::PropertyPane : public gui::WindowPane {
public:
    // The labelled fields, in the order they are created.
    enum Field { Title, InitialDirectory, Executable, StartupClass, Classpath, JvmOptions, Arguments, FieldCount };
    enum { WindowsButton = 0, JavaButton = 1, StartBox = 2, DisabledBox = 3 };

    PropertyPane();
    ~PropertyPane() override;

    void OnCreate() override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;

    // Fills the fields from info and shows the pane; null hides it. info is not owned.
    void ShowProcessInfo(ProcessInfo* info);
    // Moves the fields into info when they differ from it, marking it modified.
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

private:
    // A description built from what the fields hold; texts that only differ from base by being
    // null instead of empty are taken from base, so that they compare equal.
    ProcessInfo ReadFields(const ProcessInfo& base);
    String FieldText(Field field);
    bool IsFieldShown(Field field) const;
    void SetTabOrder();

    std::vector<std::unique_ptr<gui::LabeledFieldControl>> fields;
    gui::AutoRadioButtonControl processType;
    gui::CheckBoxControl startBox;
    gui::CheckBoxControl disabledBox;
    ProcessType shownType;  // Unknown until a description was shown
    ProcessInfo* current;   // not owned
};
