#pragma once

#include <functional>
#include <string>
#include <vector>

// Finds the file that a configured program names, so that the system never searches for it
// (its own search looks in this program's current directory, where anybody may have put a
// cmd.exe or a "My.exe" for "My Tools\tool"):
// - a path, absolute or relative to the base folder, as written, then with ".exe";
// - a bare name in this program's folder, the system folder, the Windows folder, then each
//   absolute folder of PATH, each as written, then with ".exe". Never the current directory.
class ProgramSearch {
public:
    // Whether a path names a file (not a folder). A seam: tests answer from a list.
    using FileTest = std::function<bool(const std::wstring& path)>;

    explicit ProgramSearch(FileTest isFile);
    // This program's own, started on Windows; the file test asks the system.
    static ProgramSearch ForThisProgram();

    // The folders for a bare name, before those of PATH.
    void SetFolders(const std::wstring& programFolder,
                    const std::wstring& systemFolder,
                    const std::wstring& windowsFolder);
    // The value of PATH: folders separated by ";", each possibly in quotes.
    void SetPath(const std::wstring& path);
    // What a relative path is relative to: the folder this program was started in.
    void SetBase(const std::wstring& folder) { base = folder; }
    const std::wstring& SystemFolder() const { return systemFolder; }

    // The full path of the file; empty when there is none.
    std::wstring Find(const std::wstring& program) const;

    // An `executable` value split into the program and what follows it. Only a value that
    // begins with a quote has more than the program: the rest after the closing quote.
    struct Value {
        std::wstring program;
        std::wstring rest;
        bool quoted = false;
        bool unclosed = false;  // the opening quote has no closing one
    };
    static Value Split(const std::wstring& value);
    // Ends with ".bat" or ".cmd", in any letter case.
    static bool IsBatchFile(const std::wstring& path);
    static bool IsAbsolute(const std::wstring& path);

private:
    std::wstring InFolder(const std::wstring& folder, const std::wstring& name) const;
    std::wstring Absolute(const std::wstring& path) const;

    FileTest isFile;
    std::wstring base;
    std::wstring systemFolder;
    std::vector<std::wstring> folders;  // for a bare name, in order
    std::vector<std::wstring> pathFolders;
};
