#include "app/App.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "app/ConfigurationFile.h"
#include "app/FileAssociation.h"
#include "app/InstanceClaim.h"

namespace {

// How long a start on a configuration already open waits for the running instance's frame (it
// may still be starting) or for that instance to end (it may be exiting).
const DWORD kHandOverWaitMs = 10000;

}  // namespace

App::App() {
    acceleratorId = 1000;
    mdiClient = nullptr;
}

String App::AbsolutePath(const String& path) {
    DWORD size = GetFullPathNameW(path.GetBuffer(), 0, nullptr, nullptr);
    if (size == 0) {
        return path;
    }
    std::vector<wchar_t> full(size);
    DWORD written = GetFullPathNameW(path.GetBuffer(), size, full.data(), nullptr);
    return written == 0 || written >= size ? path : String(full.data());
}

int App::Run() {
    std::unique_ptr<ConfigurationFile> configuration(new ConfigurationFile());
    configuration->SetPath(nullptr);
    if (argc > 1) {
        configuration->SetPath(AbsolutePath(arguments[1]).GetBuffer());
    }
    // The frame holds it from here on, until Run returns; the system lets go of it too when the
    // program is killed.
    std::unique_ptr<InstanceClaim> claim(new InstanceClaim(configuration->GetPath()));
    switch (claim->TakeOrHandOver(kHandOverWaitMs)) {
        case InstanceClaim::Outcome::HandedOver:
            return 0;
        case InstanceClaim::Outcome::NoFrame:
            MessageBoxW(nullptr,
                        L"Tarnwick is already running with this configuration, but its window does not answer.",
                        GetDisplayName(), MB_OK | MB_ICONEXCLAMATION);
            return 1;
        case InstanceClaim::Outcome::Claimed:
            break;
    }
    RegisterFileAssociation(executablePath.GetBuffer());
    if (!mainWindow) {
        mainWindow.reset(new MainWindow());
    }
    MainWindow& frame = *mainWindow;
    frame.SetConfigurationFile(configuration.get());
    frame.SetInstanceClaim(std::move(claim));
    // With an update accepted at start-up the quit is already posted: the frame is made without
    // loading the configuration, and the loop ends at once with code 0.
    frame.Create(nullptr);
    int result = 0;
    try {
        result = MessageLoop();
    } catch (...) {
        // A failure ends the program, and the configuration goes now: the frame may not outlive it
        // (a Reload while the failure is shown), nor any process tree the program.
        frame.Destroy();
        frame.SetInstanceClaim(nullptr);
        throw;
    }
    // Every process tree ends with the loop, before the configuration goes.
    frame.DisposeProcessWindows();
    frame.SetInstanceClaim(nullptr);
    return result;
}
