#include "common/ChildEnvironment.h"

#include <windows.h>

#include "common/EnvironmentBlock.h"
#include "common/EnvironmentBuilder.h"
#include "common/EnvironmentFile.h"
#include "common/SystemEnvironment.h"
#include "util/SystemError.h"

namespace {

std::wstring ErrorText() {
    std::wstring text = GetSystemErrorText();
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle(handle) {}
    ~FileHandle() {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return handle; }

private:
    HANDLE handle;
};

bool ReadFileVariables(const std::wstring& path, bool java, EnvironmentBuilder& builder, std::wstring& problem) {
    std::string bytes;
    std::wstring error;
    if (!ChildEnvironment::ReadFile(path, bytes, error)) {
        problem = L"Environment file: cannot read " + path + L": " + error;
        return false;
    }
    std::vector<EnvironmentFile::Entry> entries;
    if (!EnvironmentFile::Parse(bytes, entries, error)) {
        problem = L"Environment file " + path + L": " + error;
        return false;
    }
    for (const EnvironmentFile::Entry& entry : entries) {
        if (java && _wcsicmp(entry.name.c_str(), L"CLASSPATH") == 0) {
            problem = L"Environment file " + path +
                      L": a Java entry takes its class path from <classpath>, not from a CLASSPATH variable.";
            return false;
        }
        if (entry.quoted) {
            builder.Set(entry.name, entry.value, EnvironmentBuilder::Origin::File);
        } else {
            builder.SetExpanded(entry.name, entry.value, EnvironmentBuilder::Origin::File);
        }
    }
    return true;
}

}  // namespace

bool ChildEnvironment::ReadFile(const std::wstring& path, std::string& bytes, std::wstring& error) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        error = ErrorText();
        return false;
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr)) {
            error = ErrorText();
            return false;
        }
        if (read == 0) {
            return true;
        }
        // Far more than any child's environment holds: a file this long was named by mistake
        // (a log, say), and must neither fill the memory nor be quoted.
        if (bytes.size() + read > MaxFileBytes) {
            error = L"the file is larger than " + std::to_wstring(MaxFileBytes) + L" bytes.";
            return false;
        }
        bytes.append(buffer, read);
    }
}

bool ChildEnvironment::Build(const EnvironmentSettings& settings,
                             bool java,
                             EnvironmentBlock& block,
                             std::vector<std::wstring>& shown,
                             std::wstring& problem) {
    EnvironmentBuilder builder;
    SystemEnvironment::Inherit(builder, false);
    if (settings.fileSet && !ReadFileVariables(settings.file, java, builder, problem)) {
        return false;
    }
    for (const EnvironmentSettings::Change& change : settings.changes) {
        if (change.remove) {
            builder.Remove(change.name);
        } else {
            builder.SetExpanded(change.name, change.value, EnvironmentBuilder::Origin::Configured);
        }
    }
    problem = builder.CheckLimits();
    if (!problem.empty()) {
        problem = L"Environment: " + problem;
        return false;
    }
    if (!builder.Fill(block)) {
        problem = L"The environment does not fit in the child's block of " +
                  std::to_wstring(EnvironmentBlock::CapacityUnits * sizeof(wchar_t)) + L" bytes.";
        return false;
    }
    shown.clear();
    for (const std::wstring& entry : block.Entries()) {
        size_t equals = entry.find(L'=', 1);
        std::wstring name = entry.substr(0, equals);
        shown.push_back(equals != std::wstring::npos && builder.IsSecret(name) ? name + L"=****" : entry);
    }
    return true;
}
