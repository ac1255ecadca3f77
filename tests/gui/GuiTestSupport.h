#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/Window.h"

namespace guitest {

// Dispatches what is queued for this thread for about the given time, throwing again whatever a
// handler threw, as the program's message loop does.
void PumpMessages(DWORD milliseconds = 50);

// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);

// Whether a window lies at the given rectangle of its parent's client area (saying where it lies if not).
::testing::AssertionResult PlacedAt(HWND window, int x, int y, int width, int height);

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);

// A visible top-level framework window that hosts controls and records what reaches its handlers.
class HostWindow : public gui::Window {
public:
    HostWindow();
    ~HostWindow() override;

    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam) override;

    // Creates the window with a client of the given size.
    void Open(int clientWidth = 640, int clientHeight = 480);

    std::vector<WPARAM> commands;  // wParam of every WM_COMMAND, in order
    std::vector<UINT> notifications;  // code of every WM_NOTIFY
};

// A test with a host window open at the default size.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override { host.Open(); }
    HostWindow host;
};

}  // namespace guitest
