#pragma once

#include <atomic>
#include <functional>

#include "common/ClassPathScan.h"
#include "common/IJavaLookups.h"
#include "common/Process.h"

namespace java {

// A Java class run by the java.exe of a Java runtime that JavaDiscovery finds. The class path
// travels in the child's CLASSPATH, in its sorted place in the environment; when none is
// configured it is built from the jars and zips below the program's folder, as full paths.
class JavaProcess : public Process {
public:
    JavaProcess();
    ~JavaProcess() override;

    void SetClasspath(const String& text) { classpath = text; }
    void SetStartupClass(const String& text) { startupClass = text; }
    void SetJavaOptions(const String& text) { jvmOptions = text; }
    // The folder whose jars and zips make the class path when none is configured: the program's.
    void SetProgramFolder(const String& folder) { programFolder = folder; }
    // The configured class path; empty when it is built.
    const String& GetClasspath() const { return classpath; }
    // The class path the last scan built.
    const String& GetBuiltClasspath() const { return builtClasspath; }
    const String& GetStartupClass() const { return startupClass; }
    const String& GetJavaOptions() const { return jvmOptions; }
    const String& GetJavaHome() const { return javaHome; }
    const String& GetJavaExe() const { return javaExe; }
    const String& GetProgramFolder() const { return programFolder; }

    // The next launch builds the class path anew (a manual Start, a reload of the
    // configuration); launches in between, restarts among them, reuse the last one built.
    void RescanClasspath() { scanDue = true; }

    // Finds the runtime and the class path, then launches as Process does.
    void Launch() override;
    // Program (quoted when its path holds a blank), JVM options, start-up class and arguments, one
    // blank apart.
    const String& GetCommandLine() override;

    // Finds the runtime (kept while its java.exe is there); false when there is none.
    bool FindJavaHome();
    bool FindJavaHome(IJavaLookups& lookups);
    // Builds the class path from the jars and zips below the program folder into the built
    // class path; stops early when stopRequested says so.
    ClassPathScan::Outcome BuildClasspath(const std::function<bool()>& stopRequested = {});

private:
    // The class path the launch passes on, built first when it is due; false when a stop came
    // during the scan.
    bool PrepareClasspath(String& passed);
    bool StopEventSet() const;

    String classpath;
    String startupClass;
    String javaHome;
    String javaCommandLine;
    String jvmOptions;
    String javaExe;
    String builtClasspath;
    String programFolder;
    std::atomic<bool> scanDue;  // set on the GUI thread, taken by the worker
};

}  // namespace java
