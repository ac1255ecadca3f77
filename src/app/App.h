#pragma once

#include "app/WindowsApplication.h"

// The program's concrete application: its Run performs start-up and runs the message loop.
class App : public WindowsApplication {
public:
    App();
    int Run() override;
};
