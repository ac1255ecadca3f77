#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ServerSettingsText.h"
#include "gui/CheckBoxControl.h"
#include "gui/ComboBoxControl.h"
#include "gui/EditControl.h"
#include "gui/MultiLineEditControl.h"
#include "gui/StaticControl.h"
#include "gui/WindowPane.h"
#include "util/String.h"

class ProcessInfo;

// The settings window's fields for the server settings of an entry: environment, stop, log file
// and start order, a label beside each, the log file's full path as a run would resolve it and
// the problem of a value that cannot be read, both kept up to date as the user types. What the
// fields mean is ServerSettingsText's; this pane only moves texts in and out of the controls. A
// field taking the focus is told to the parent, which may scroll it into view.
class ServerSettingsFields : public gui::WindowPane {
public:
    // Child ids, in the order on screen.
    enum Id {
        EnvironmentId = 101,
        EnvironmentFileId,
        StopExecutableId,
        StopArgumentsId,
        ConsoleId,
        WindowId,
        TimeoutId,
        LogFileId,
        LogPathId,
        MaxBytesId,
        BackupsId,
        AfterId,
        ReadyId,
        ProblemId,
    };
    ServerSettingsFields();
    ~ServerSettingsFields() override;

    void OnCreate() override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    int GetHeight() override;

    // Fills the fields from info; otherTitles are the titles "after" may name.
    void Show(const ProcessInfo& info, const std::vector<std::wstring>& otherTitles);
    // The settings the fields hold, from base, the entry's settings as shown; false with the
    // problem of a value that cannot be read.
    bool Read(const ServerSettings& base, ServerSettings& settings, std::wstring& problem);
    ServerSettingsText::Fields GetFields();

    HWND GetControl(Id id) const;
    std::wstring GetLogPathText() const;
    std::wstring GetProblemText() const;

private:
    // One line of the form: a label and the control beside it, or a control over the full width.
    struct Row {
        const wchar_t* label;  // null: no label, the control takes the whole row
        gui::WindowControl* control;
        int height;
    };

    void CreateRows();
    void CreateEdit(gui::EditControl& edit, Id id);
    void CreateList(gui::ComboBoxControl& list, Id id, const std::vector<std::wstring>& items);
    // The log file's full path and the problem line, from what the fields hold now.
    void Refresh();
    void ShowAfterChoices(const std::wstring& after, const std::vector<std::wstring>& otherTitles);
    std::wstring SelectedText(const gui::ComboBoxControl& list) const;

    std::vector<Row> rows;
    std::vector<std::unique_ptr<gui::StaticControl>> labels;  // one per row with a label
    gui::MultiLineEditControl environment;
    gui::EditControl environmentFile;
    gui::EditControl stopExecutable;
    gui::EditControl stopArguments;
    gui::ComboBoxControl console;
    gui::CheckBoxControl window;
    gui::EditControl timeout;
    gui::EditControl logFile;
    gui::StaticControl logPath;
    gui::EditControl maxBytes;
    gui::EditControl backups;
    gui::ComboBoxControl after;
    gui::EditControl ready;
    gui::StaticControl problemLine;
    // What the fields were filled from: the base of Read, and what resolves the log file's path.
    ServerSettings shownSettings;
    String configurationFolder;
    bool filling;  // the fields are being filled: their change notifications are not the user's
};
