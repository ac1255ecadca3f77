#pragma once

#include "common/Process.h"

namespace java {

// A Java class run by the java.exe of a Java runtime found in the environment (JAVA_HOME) or the
// registry. The class path travels in the child's CLASSPATH, first entry of its environment;
// when none is configured it is built from the jars and zips below the program's directory.
class JavaProcess : public Process {
public:
    JavaProcess();
    ~JavaProcess() override;

    void SetClasspath(const String& text) { classpath = text; }
    void SetStartupClass(const String& text) { startupClass = text; }
    void SetJavaOptions(const String& text) { jvmOptions = text; }
    const String& GetClasspath() const { return classpath; }
    const String& GetStartupClass() const { return startupClass; }
    const String& GetJavaOptions() const { return jvmOptions; }
    const String& GetJavaHome() const { return javaHome; }

    // Finds the runtime and the class path, then launches as Process does.
    void Launch() override;
    // Program (quoted when its path holds a blank), JVM options, start-up class and arguments, one
    // blank apart.
    const String& GetCommandLine() override;

    // Finds the runtime's home directory (kept once found); false when there is none.
    bool FindJavaHome();
    // Builds the class path from the program's directory: ".\\a.jar;.\\lib\\b.zip".
    void BuildClasspath();
    // Appends the jars and zips below directory (a full path) to classpath, each as relativePath
    // followed by its path below directory. False when the directory cannot be listed.
    static bool ScanDirectory(const String& directory, String& classpath, String& relativePath);

private:
    String classpath;
    String startupClass;
    String javaHome;
    String javaCommandLine;
    String jvmOptions;
};

}  // namespace java
