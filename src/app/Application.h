#pragma once

#include "util/Object.h"
#include "util/String.h"

// The application object: what the program learns at start (command line, program path, name,
// start directory) and the version-resource caches. Exactly one exists, reached through
// Application::GetCurrent(); it is a static object, built before the entry routine runs.
class Application : public Object {
public:
    explicit Application(const wchar_t* builtInName = L"Tarnwick");
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    virtual int Run() = 0;
    // Stores a non-zero value; zero leaves the field unchanged.
    virtual unsigned int SetHandle(unsigned int value);

    static Application* GetCurrent() { return current; }

    // The file name without directory ('\\' or '/') and without its last extension.
    static String NameFromPath(const String& path);

    // The name shown to users: name when set, else the built-in name.
    const wchar_t* GetDisplayName() const;

    // The value of a version-resource key, read into its cache when the cache is still empty.
    static const String& FillFromVersion(String& cache, const wchar_t* key);
    // The name the update server knows the program by: the version resource's
    // "OriginalFilename", else its "ProductName".
    const wchar_t* GetOriginalFilename();

    unsigned int handle;
    String name;
    String executablePath;  // the program's file as the system loaded it, whatever the command line says
    String startDirectory;
    String moduleName;
    int argc;
    String* arguments;  // owned, argc entries

    // Caches of the version resource's strings; empty until somebody reads them.
    String CompanyName;
    String ProductName;
    String FileDescription;
    String ProductVersion;
    String OriginalFilename;

protected:
    // Fills the fields from a command line, the current directory and the program's file (the
    // constructor passes the process's own; tests pass theirs).
    void CollectStartup(const wchar_t* commandLine, const wchar_t* currentDirectory, const String& modulePath);

private:
    static Application* current;
};
