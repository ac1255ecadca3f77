#pragma once

#include "app/MainWindow.h"
#include "app/WindowsApplication.h"

// The program's concrete application: its Run performs start-up and runs the message loop.
class App : public WindowsApplication {
public:
    App();
    int Run() override;

    // The configuration path as given on the command line, made absolute, so that later reloads
    // and relative paths inside the file mean the same file all session long.
    static String AbsolutePath(const String& path);

    MainWindow& GetMainWindow() { return mainWindow; }

private:
    MainWindow mainWindow;
};
