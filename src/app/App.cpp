#include "app/App.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "app/ConfigurationFile.h"
#include "app/FileAssociation.h"

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
    RegisterFileAssociation(executablePath.GetBuffer());
    std::unique_ptr<ConfigurationFile> configuration(new ConfigurationFile());
    configuration->SetPath(nullptr);
    if (argc > 1) {
        configuration->SetPath(AbsolutePath(arguments[1]).GetBuffer());
    }
    mainWindow.SetConfigurationFile(configuration.get());
    // With an update accepted at start-up the quit is already posted: the frame is made without
    // loading the configuration, and the loop ends at once with code 0.
    mainWindow.Create(nullptr);
    int result = 0;
    try {
        result = MessageLoop();
    } catch (...) {
        // A failure ends the program, and the configuration goes now: the frame may not outlive it
        // (a Reload while the failure is shown), nor any process tree the program.
        mainWindow.Destroy();
        throw;
    }
    // Every process tree ends with the loop, before the configuration goes.
    mainWindow.DisposeProcessWindows();
    return result;
}
