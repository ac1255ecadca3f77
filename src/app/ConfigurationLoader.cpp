#include "app/ConfigurationLoader.h"

#include <windows.h>

#include "app/ConfigurationFile.h"
#include "app/InstanceClaim.h"
#include "app/ProcessWindowSet.h"
#include "gui/FileDialogs.h"
#include "gui/Window.h"
#include "util/Exception.h"

ConfigurationLoader::ConfigurationLoader(gui::Window& owner, ProcessWindowSet& windows)
    : owner(owner), windows(windows), current(nullptr) {}

ConfigurationLoader::~ConfigurationLoader() = default;

void ConfigurationLoader::SetClaim(std::unique_ptr<InstanceClaim> held) {
    claim = std::move(held);
}

void ConfigurationLoader::Read(ConfigurationFile& file) {
    file.Load(nullptr);
    file.Close();
    file.ReadProcesses();
}

void ConfigurationLoader::LoadAtStart() {
    try {
        Read(*current);
        windows.Apply(*current);
    } catch (Exception* e) {
        std::unique_ptr<Exception> failure(e);
        current->WriteSample(failure->GetMessageText().GetBuffer(), owner.GetHandle());
        PostQuitMessage(0);
    }
}

void ConfigurationLoader::Reload() {
    try {
        Read(*current);
    } catch (Exception* e) {
        ShowError(current->GetPath().GetBuffer(), e);
        return;
    }
    windows.Apply(*current);
}

void ConfigurationLoader::OpenOther() {
    String path;
    if (!gui::ShowOpenFileDialog(owner.GetHandle(), path)) {
        return;
    }
    // The chosen file must load before anything changes: until then the current one stays in use.
    std::unique_ptr<ConfigurationFile> candidate(new ConfigurationFile());
    candidate->SetPath(path.GetBuffer());
    try {
        Read(*candidate);
    } catch (Exception* e) {
        ShowError(path.GetBuffer(), e);
        return;
    }
    windows.DisposeAll();
    if (claim) {
        // The old file is let go first. Held by another instance, the new one stays unclaimed:
        // the user chose to have it open twice.
        claim.reset(new InstanceClaim(path));
        claim->TryTake();
    }
    current = candidate.get();
    chosen = std::move(candidate);
    windows.Apply(*current);
}

void ConfigurationLoader::ShowError(const wchar_t* path, Exception* failure) {
    std::unique_ptr<Exception> owned(failure);
    String text;
    text.Format(
        L"The configuration file could not be loaded:\n%s\n\n%s\n\nNothing was changed. Open the file in the "
        L"editor?",
        path, failure->GetMessageText().GetBuffer());
    if (MessageBoxW(owner.GetHandle(), text.GetBuffer(), L"Configuration file", MB_YESNO | MB_ICONERROR) == IDYES) {
        std::unique_ptr<ConfigurationFile> editorTarget(new ConfigurationFile());  // large: its node pool
        editorTarget->SetPath(path);
        editorTarget->OpenInEditor(owner.GetHandle());
    }
}
