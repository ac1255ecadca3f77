#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/ConfigurationFile.h"
#include "support/ThrownMessage.h"

namespace apptest {

// Owns what ReadProcesses hands out, as the process windows would.
struct Loaded {
    std::unique_ptr<ConfigurationFile> file{new ConfigurationFile()};
    std::vector<std::unique_ptr<ProcessInfo>> owned;

    // Loads and reads path; returns the exception's message, or "" on success.
    std::wstring Load(const std::wstring& path) {
        std::wstring message = testsupport::ThrownMessage([&] {
            file->SetPath(path.c_str());
            file->Load(nullptr);
            file->ReadProcesses();
        });
        if (message != L"<no exception>") {
            return message;
        }
        for (ProcessInfo* info : file->GetProcesses()) {
            owned.emplace_back(info);
        }
        return L"";
    }
    ProcessInfo& operator[](size_t i) { return *file->GetProcesses().at(i); }
    size_t Count() const { return file->GetProcesses().size(); }
};

}  // namespace apptest
