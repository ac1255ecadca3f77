#pragma once

#include <string>

#include "app/Application.h"

// The current application for tests that depend on the program's path (the default
// configuration path is derived from it).
class TestApplication : public Application {
public:
    explicit TestApplication(const std::wstring& programPath) { executablePath = programPath.c_str(); }
    int Run() override { return 0; }
};
