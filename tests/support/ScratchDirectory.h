#pragma once

#include <string>

namespace testsupport {

// A fresh folder under the temporary directory, removed with everything in it at destruction.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // The folder's path, without a trailing backslash.
    const std::wstring& Path() const { return path; }
    // Path() + "\\" + name.
    std::wstring File(const std::wstring& name) const;
    // Writes bytes to a file in the folder (created or replaced) and returns its path.
    std::wstring Write(const std::wstring& name, const std::string& bytes) const;
    // Reads a whole file; empty when it does not exist.
    static std::string Read(const std::wstring& path);

private:
    std::wstring path;
};

}  // namespace testsupport
