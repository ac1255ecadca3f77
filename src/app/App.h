#pragma once

#include <memory>

#include "app/MainWindow.h"
#include "app/WindowsApplication.h"

// The program's concrete application: its Run performs start-up and runs the message loop. A
// start on a configuration that a running instance of the same user has open hands over to that
// instance and ends.
class App : public WindowsApplication {
public:
    App();
    int Run() override;

    // The configuration path as given on the command line, made absolute, so that later reloads
    // and relative paths inside the file mean the same file all session long.
    static String AbsolutePath(const String& path);

    // Made by Run once this start is the instance for its configuration (constructing the frame's
    // object runs the update check, which a start that hands over must not).
    MainWindow& GetMainWindow() { return *mainWindow; }

private:
    std::unique_ptr<MainWindow> mainWindow;
};
