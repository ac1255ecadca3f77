#pragma once

#include <memory>

class ConfigurationFile;
class Exception;
class InstanceClaim;
class ProcessWindowSet;

namespace gui {
class Window;
}

// Loads the frame's configuration at start-up, on Reload and from another file chosen with Open
// Settings, and applies what loaded to the process windows. A file that cannot be loaded changes
// nothing (at start-up it ends the program after the sample).
class ConfigurationLoader {
public:
    // Neither is owned; both outlive the loader (the frame and its window set).
    ConfigurationLoader(gui::Window& owner, ProcessWindowSet& windows);
    ~ConfigurationLoader();

    // The configuration in use; not owned unless one was chosen with OpenOther.
    void SetFile(ConfigurationFile* file) { current = file; }
    // The claim this instance holds on the current file (null: none, and none is taken): another
    // file opened with OpenOther takes it over, so that later starts find this instance by the
    // file it shows.
    void SetClaim(std::unique_ptr<InstanceClaim> held);
    ConfigurationFile* GetFile() const { return current; }

    // Start-up: a configuration that cannot be loaded writes the sample and posts the quit.
    void LoadAtStart();
    // Loads the current file again; a failure is shown and changes nothing.
    void Reload();
    // Asks for a file; once it loaded, it replaces every process window.
    void OpenOther();

private:
    // Loads file and reads its list; throws what the load throws.
    static void Read(ConfigurationFile& file);
    void ShowError(const wchar_t* path, Exception* failure);

    gui::Window& owner;                         // not owned
    ProcessWindowSet& windows;                  // not owned
    ConfigurationFile* current;                 // not owned unless it is chosen
    std::unique_ptr<ConfigurationFile> chosen;  // one opened with Open Settings
    std::unique_ptr<InstanceClaim> claim;
};
