#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "gui/ButtonControl.h"
#include "gui/ImageList.h"
#include "gui/SplitterControl.h"
#include "gui/TreeViewControl.h"
#include "gui/Window.h"
#include "util/String.h"

class ConfigurationFile;
class Exception;
class ProcessInfo;

// The form in which the configured processes are edited: a tree of the processes, the fields of
// the selected one beside it, Ok and Cancel. Ok rewrites the configuration when anything changed
// and has the main window reload it. The window reads and writes the file through a
// configuration object of its own, so the main window's reloads never touch its descriptions.
class SettingsWindow : public gui::Window {
public:
    class PropertyPane;
    enum { OkId = 50001, CancelId = 50002, ReloadCommand = 40012 };

    SettingsWindow();
    ~SettingsWindow() override;

    void OnRegisterClass(WNDCLASSEXW& description) override;
    void OnCreate() override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Ok, and any other request to close: the edits are written when there are any.
    int OnClose() override;
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    // Cancel: hides the window; edits already applied to a description stay for the next Ok.
    virtual int Hide();

    // The main window's configuration, which names the file; not owned. Null throws.
    void SetConfigurationFile(ConfigurationFile* configurationFile);
    // Reads the file named by the configuration and lists its processes. Throws on failure and
    // then keeps what it showed before.
    void ReadConfigFile();
    // Shows the window. The file is read again when it changed since it was read, after asking
    // when edits are pending. False (and an error box) when it cannot be read.
    bool Open();
    // Edits that the file does not hold yet: applied to a description or still in the fields.
    bool HasPendingEdits();
    // The descriptions in tree order.
    std::vector<ProcessInfo*> CollectDescriptions();

    gui::TreeViewControl& GetTree() { return tree; }
    PropertyPane& GetPane() { return *pane; }
    gui::SplitterControl& GetSplitter() { return splitter; }

private:
    struct FileStamp {
        bool exists;
        uint64_t writeTime;
        uint64_t size;
        bool operator==(const FileStamp& other) const;
    };
    static FileStamp StampOf(const String& path);
    bool FileChangedSinceRead();
    bool Ask(const wchar_t* format);
    // The window while it is on screen, else its owner.
    HWND BoxOwner();
    // Writes the descriptions when one was modified; false when the write failed or was refused.
    bool WriteIfModified();
    void BackUpOnce(const String& path);
    ProcessInfo* SelectedDescription();
    // Moves the fields into the description they show.
    void ApplyEdits();
    void CreateButton(gui::ButtonControl& button, int id, const wchar_t* caption, DWORD kind);
    void CreateTreeImages();
    // Makes the message loop give this window's keys to the dialog manager (null: to nobody).
    void SetDialogWindow(HWND value);
    void ShowFailure(Exception* failure);

    gui::TreeViewControl tree;
    std::unique_ptr<PropertyPane> pane;
    gui::SplitterControl splitter;
    gui::ButtonControl okButton;
    gui::ButtonControl cancelButton;
    gui::ImageList treeImages;
    ConfigurationFile* configuration;         // the main window's, not owned
    std::unique_ptr<ConfigurationFile> file;  // what the descriptions were read from and go back to
    std::vector<std::unique_ptr<ProcessInfo>> descriptions;
    FileStamp readStamp;           // the file as it was when read or last written
    std::vector<String> backedUp;  // files already kept as ".bak" in this session
    SIZE clientSize;               // the fields are restored only when this changes
};
