#include "app/SettingsWindow.h"

#include <commctrl.h>

#include "app/ConfigurationFile.h"
#include "app/ProcessInfo.h"
#include "app/ProcessWindow.h"
#include "app/PropertyPane.h"
#include "app/WindowsApplication.h"
#include "util/Exception.h"
#include "util/SystemError.h"

namespace {

const int kTreeIcon = 104;

}  // namespace

SettingsWindow::SettingsWindow()
    : Window(L"SettingsWindow"),
      pane(new PropertyPane()),
      configuration(nullptr),
      readStamp{false, 0, 0},
      clientSize{0, 0} {
    style = WS_POPUP | WS_CAPTION | WS_THICKFRAME;
    extendedStyle |= WS_EX_CONTROLPARENT;
    registerClass = true;
    pane->SetTitleSource([this](const ProcessInfo* shown) {
        std::vector<std::wstring> titles;
        for (const ProcessInfo* info : CollectDescriptions()) {
            if (info != shown && !info->title.IsEmpty()) {
                titles.push_back(info->title.GetBuffer());
            }
        }
        return titles;
    });
}

SettingsWindow::~SettingsWindow() {
    // The list goes before the tree: the tree must not keep it.
    if (tree.GetHandle() && IsWindow(tree.GetHandle())) {
        SendMessageW(tree.GetHandle(), TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    }
    if (handle) {
        OnDestroy();
    }
}

void SettingsWindow::OnDestroy() {
    WindowsApplication* application = dynamic_cast<WindowsApplication*>(Application::GetCurrent());
    if (application && handle && application->dialogWindow == handle) {
        application->dialogWindow = nullptr;
    }
}

void SettingsWindow::OnRegisterClass(WNDCLASSEXW& description) {
    description.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
}

void SettingsWindow::SetConfigurationFile(ConfigurationFile* configurationFile) {
    if (!configurationFile) {
        throw new Exception(L"SettingsWindow::SetConfigurationFile\n configurationFile is null.");
    }
    configuration = configurationFile;
}

void SettingsWindow::CreateButton(gui::ButtonControl& button, int id, const wchar_t* caption, DWORD kind) {
    button.AddStyle(kind | WS_TABSTOP);
    button.SetControlId(id);
    button.Create(handle);
    button.SetText(caption);
}

void SettingsWindow::CreateTreeImages() {
    treeImages.Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), ILC_COLOR32 | ILC_MASK, 1, 1);
    if (!treeImages.GetHandle()) {
        throw new Exception(L"Failed to create image list.");
    }
    HICON icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kTreeIcon), IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
    if (icon) {
        ImageList_AddIcon(treeImages.GetHandle(), icon);
    }
    SendMessageW(tree.GetHandle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(treeImages.GetHandle()));
}

void SettingsWindow::OnCreate() {
    SetText(L"Settings");
    CreateButton(okButton, OkId, L"Ok", BS_DEFPUSHBUTTON);
    CreateButton(cancelButton, CancelId, L"Cancel", BS_PUSHBUTTON);
    splitter.Create(handle);
    SetWindowLongPtrW(splitter.GetHandle(), GWL_EXSTYLE,
                      GetWindowLongPtrW(splitter.GetHandle(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    // Tab starts in the tree and ends on the buttons.
    SetWindowPos(splitter.GetHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    tree.AddStyle(WS_TABSTOP | TVS_SHOWSELALWAYS);
    tree.Create(splitter.GetHandle());
    CreateTreeImages();
    pane->Create(splitter.GetHandle());
    splitter.SetPanes(&tree, pane.get());
    SetPosition(0, 0, 500, 550, SWP_NOMOVE | SWP_NOZORDER);
    RECT area = {};
    GetClientRect(splitter.GetHandle(), &area);
    splitter.SetBarPosition((area.right - area.left) * 35 / 100);
    splitter.OnSize(0, 0);
    // Centred as a whole, frame included, and left hidden until Open shows it.
    RECT workArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT outer = {};
    GetWindowRect(handle, &outer);
    SetPosition(workArea.left + ((workArea.right - workArea.left) - (outer.right - outer.left)) / 2,
                workArea.top + ((workArea.bottom - workArea.top) - (outer.bottom - outer.top)) / 2, 0, 0,
                SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetDialogWindow(handle);
}

void SettingsWindow::SetDialogWindow(HWND value) {
    WindowsApplication* application = dynamic_cast<WindowsApplication*>(Application::GetCurrent());
    if (application) {
        application->dialogWindow = value;
    }
}

void SettingsWindow::OnSize(WPARAM, LPARAM) {
    RECT client = {};
    GetClientRect(handle, &client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    okButton.SetPosition(width - 190, height - 35, 80, 25, SWP_NOZORDER);
    cancelButton.SetPosition(width - 90, height - 35, 80, 25, SWP_NOZORDER);
    splitter.SetPosition(10, 10, width - 20, height - 55, SWP_NOZORDER);
    // A move or a show is no resize: only a new size puts the description back in the fields.
    if (width == clientSize.cx && height == clientSize.cy) {
        return;
    }
    clientSize.cx = width;
    clientSize.cy = height;
    try {
        ProcessInfo* selected = SelectedDescription();
        if (selected) {
            pane->ShowProcessInfo(selected);
        }
    } catch (Exception* e) {
        ShowFailure(e);
    }
}

ProcessInfo* SettingsWindow::SelectedDescription() {
    HTREEITEM item = TreeView_GetSelection(tree.GetHandle());
    LPARAM data = 0;
    if (!item || !tree.GetItemParam(item, data)) {
        return nullptr;
    }
    return reinterpret_cast<ProcessInfo*>(data);
}

LRESULT SettingsWindow::OnNotify(WPARAM, LPARAM lParam) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom == tree.GetHandle() && header->code == TVN_SELCHANGINGW) {
        // Fields that cannot be read keep their description selected, with the user's text.
        try {
            ApplyEdits();
        } catch (Exception* e) {
            ShowFailure(e);
            return TRUE;
        }
        return FALSE;
    }
    if (header->hwndFrom != tree.GetHandle() || header->code != TVN_SELCHANGEDW) {
        return 0;
    }
    try {
        // The fields belong to the description they show, whichever item the tree had selected.
        ApplyEdits();
        pane->ShowProcessInfo(SelectedDescription());
    } catch (Exception* e) {
        ShowFailure(e);
    }
    return 1;
}

void SettingsWindow::ApplyEdits() {
    ProcessInfo* shown = pane->GetCurrent();
    pane->ApplyToProcessInfo(shown);
    if (!shown) {
        return;
    }
    // The tree names the processes as they are now.
    for (HTREEITEM item = TreeView_GetRoot(tree.GetHandle()); item;
         item = TreeView_GetNextSibling(tree.GetHandle(), item)) {
        LPARAM data = 0;
        if (tree.GetItemParam(item, data) && reinterpret_cast<ProcessInfo*>(data) == shown) {
            TVITEMW text = {};
            text.mask = TVIF_TEXT;
            text.hItem = item;
            text.pszText = const_cast<wchar_t*>(shown->title.IsNull() ? L"" : shown->title.GetBuffer());
            TreeView_SetItem(tree.GetHandle(), &text);
        }
    }
}

LRESULT SettingsWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    int id = LOWORD(wParam);
    // The dialog keys send IDOK for Enter and IDCANCEL for Escape, with no control behind them.
    if (id == OkId || (id == IDOK && lParam == 0)) {
        OnClose();
        return 1;
    }
    if (id == CancelId || (id == IDCANCEL && lParam == 0)) {
        Hide();
        return 1;
    }
    return 0;
}

int SettingsWindow::OnClose() {
    try {
        ApplyEdits();
        if (WriteIfModified()) {
            Hide();
        }
    } catch (Exception* e) {
        ShowFailure(e);
    }
    return 1;
}

int SettingsWindow::Hide() {
    pane->ShowProcessInfo(nullptr);
    ShowWindow(pane->GetHandle(), SW_HIDE);
    ShowWindow(handle, SW_HIDE);
    return 0;
}

std::vector<ProcessInfo*> SettingsWindow::CollectDescriptions() {
    std::vector<ProcessInfo*> list;
    for (HTREEITEM item = TreeView_GetRoot(tree.GetHandle()); item;
         item = TreeView_GetNextSibling(tree.GetHandle(), item)) {
        LPARAM data = 0;
        if (tree.GetItemParam(item, data) && data) {
            list.push_back(reinterpret_cast<ProcessInfo*>(data));
        }
    }
    return list;
}

bool SettingsWindow::WriteIfModified() {
    std::vector<ProcessInfo*> list = CollectDescriptions();
    bool modified = false;
    for (const ProcessInfo* info : list) {
        modified = modified || info->modified;
    }
    if (!modified) {
        return true;
    }
    if (FileChangedSinceRead() &&
        !Ask(L"The configuration file\n%s\nwas changed by someone else since the settings were read.\n\n"
             L"Write your settings over it?")) {
        return false;
    }
    try {
        BackUpOnce(file->GetPath());
        file->WriteProcesses(list);
    } catch (Exception* e) {
        ShowFailure(e);  // the edits stay, and the next Ok tries again
        return false;
    }
    for (ProcessInfo* info : list) {
        info->modified = false;
    }
    readStamp = StampOf(file->GetPath());
    HWND owner = GetWindow(handle, GW_OWNER);
    if (owner) {
        SendMessageW(owner, WM_COMMAND, ReloadCommand, 0);
    }
    return true;
}

// The rewrite keeps only what the form knows, so the file as the user wrote it is kept once.
void SettingsWindow::BackUpOnce(const String& path) {
    for (const String& done : backedUp) {
        if (done.EqualsNoCase(path.GetBuffer())) {
            return;
        }
    }
    if (StampOf(path).exists) {
        String backup;
        backup.Format(L"%s.bak", path.GetBuffer());
        if (!CopyFileW(path.GetBuffer(), backup.GetBuffer(), FALSE)) {
            throw new Exception(L"SettingsWindow::BackUpOnce()\nFile : %s\n%s", backup.GetBuffer(),
                                GetSystemErrorText());
        }
    }
    backedUp.push_back(path);
}

void SettingsWindow::ReadConfigFile() {
    if (!configuration) {
        throw new Exception(L"SettingsWindow::ReadConfigFile\n configurationFile is null.");
    }
    std::unique_ptr<ConfigurationFile> candidate(new ConfigurationFile());  // large: its node pool
    candidate->SetPath(configuration->GetPath().GetBuffer());
    // Taken before reading, so that a change made during the read counts as a change.
    FileStamp stamp = StampOf(candidate->GetPath());
    candidate->Load(nullptr);
    candidate->Close();
    candidate->ReadProcesses();
    std::vector<std::unique_ptr<ProcessInfo>> read;
    for (ProcessInfo* info : candidate->GetProcesses()) {
        read.emplace_back(info);
    }
    pane->ShowProcessInfo(nullptr);
    TreeView_DeleteAllItems(tree.GetHandle());
    descriptions = std::move(read);
    file = std::move(candidate);
    readStamp = stamp;
    for (const auto& info : descriptions) {
        tree.InsertItem(info->title.IsNull() ? L"" : info->title.GetBuffer(), reinterpret_cast<LPARAM>(info.get()));
    }
}

bool SettingsWindow::Open() {
    bool read =
        !file || !file->GetPath().Equals(configuration ? configuration->GetPath() : String()) || FileChangedSinceRead();
    if (read && file && HasPendingEdits() &&
        !Ask(L"The configuration file\n%s\nhas changed since the settings were read, and your edits are not "
             L"saved.\n\nDiscard your edits and show the file as it is now?")) {
        read = false;
    }
    if (read) {
        try {
            ReadConfigFile();
        } catch (Exception* e) {
            ShowFailure(e);
            return false;
        }
    }
    if (!pane->GetCurrent()) {
        pane->ShowProcessInfo(SelectedDescription());
    }
    ShowWindow(handle, SW_SHOWNORMAL);
    SetFocus(tree.GetHandle());
    return true;
}

bool SettingsWindow::HasPendingEdits() {
    if (pane->HasUnappliedEdits()) {
        return true;
    }
    for (const auto& info : descriptions) {
        if (info->modified) {
            return true;
        }
    }
    return false;
}

bool SettingsWindow::FileStamp::operator==(const FileStamp& other) const {
    return exists == other.exists && writeTime == other.writeTime && size == other.size;
}

SettingsWindow::FileStamp SettingsWindow::StampOf(const String& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (path.IsEmpty() || !GetFileAttributesExW(path.GetBuffer(), GetFileExInfoStandard, &data)) {
        return FileStamp{false, 0, 0};
    }
    return FileStamp{
        true, (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime,
        (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
}

bool SettingsWindow::FileChangedSinceRead() {
    return file && !(StampOf(file->GetPath()) == readStamp);
}

HWND SettingsWindow::BoxOwner() {
    return IsWindowVisible(handle) ? handle : GetWindow(handle, GW_OWNER);
}

bool SettingsWindow::Ask(const wchar_t* format) {
    String text;
    text.Format(format, file->GetPath().GetBuffer());
    return MessageBoxW(BoxOwner(), text.GetBuffer(), L"Settings", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void SettingsWindow::ShowFailure(Exception* failure) {
    ProcessWindow::ReportFailure(BoxOwner(), failure);
}
