#pragma once

#include <string>

#include "support/ScratchDirectory.h"

// Times program starts from launch (CreateProcess, as the tests start programs) until they are of
// use: Tarnwick once three process windows each show their child's first line, the bare window
// program once its window is visible and its message loop answers.
class StartupTimer {
public:
    explicit StartupTimer(const testsupport::ScratchDirectory& folder);

    // Milliseconds, or a negative value when the program did not get there in 30 seconds.
    double TimeTarnwick() const;
    double TimeBareWindow() const;

private:
    std::wstring configuration;
};
