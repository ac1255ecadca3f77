#pragma once

#include <string>

#include "app/Application.h"

namespace testsupport {

// The current application for tests: named like the program, and with a program path for tests
// that derive paths from it (the default configuration path is one).
class TestApplication : public Application {
public:
    explicit TestApplication(const std::wstring& programPath = std::wstring()) {
        name = L"Tarnwick";
        if (!programPath.empty()) {
            executablePath = programPath.c_str();
        }
    }
    int Run() override { return 0; }
};

}  // namespace testsupport
