#pragma once

#include <string>
#include <vector>

#include "common/IJavaLookups.h"

// Finds the java.exe of an installed Java runtime. The sources, first hit wins:
//  1. JAVA_HOME of this program's environment;
//  2. the JavaSoft "JDK", then "JRE" key's CurrentVersion (how Java 9 and later register);
//  3. the "Java Runtime Environment" key's CurrentVersion, then its versions 1.8 down to 1.4;
//  4. JAVA_HOME of the system environment in the registry;
//  5. java.exe in a folder of this program's PATH.
// Each registry key is read in the 64-bit view, then the 32-bit one, whichever build this is: a
// child of either bitness runs, and most runtimes installed today are 64-bit. A home counts only
// when its bin\java.exe exists, so a key left behind by an uninstalled runtime does not hide one
// that is there.
class JavaDiscovery {
public:
    explicit JavaDiscovery(IJavaLookups& lookups);  // not owned

    // Runs the sources in order; false when none yields a java.exe.
    bool Discover();
    // After a successful Discover: the runtime's home folder and its java.exe (for a PATH hit
    // outside a "bin" folder, the home is that folder).
    const std::wstring& GetHome() const { return home; }
    const std::wstring& GetJavaExe() const { return javaExe; }

    // "<home>\bin\java.exe", the home taken without surrounding quotes or trailing separators.
    static std::wstring JavaExeOf(const std::wstring& home);
    // The folders of a PATH value, without quotes; empty ones left out.
    static std::vector<std::wstring> PathFolders(const std::wstring& path);

private:
    bool FromEnvironment();
    bool FromCurrentVersion(const std::wstring& key);
    bool FromVersionKey(const std::wstring& key);
    bool FromSystemEnvironment();
    bool FromPath();
    // Takes home when its java.exe exists.
    bool Accept(const std::wstring& candidate);

    IJavaLookups& lookups;
    std::wstring home;
    std::wstring javaExe;
};
