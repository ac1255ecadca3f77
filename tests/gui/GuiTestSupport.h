#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "gui/Window.h"
#include "support/TarnwickSession.h"

namespace guitest {

// Dispatches what is queued for this thread for about the given time, throwing again whatever a
// handler threw, as the program's message loop does.
void PumpMessages(DWORD milliseconds = 50);

// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);

// Whether a window lies at the given rectangle of its parent's client area (saying where it lies if not).
::testing::AssertionResult PlacedAt(HWND window, int x, int y, int width, int height);

std::wstring ClassOf(HWND window);
inline std::wstring TextOf(HWND window) { return testsupport::TarnwickSession::Text(window); }

// A visible top-level framework window that hosts controls.
class HostWindow : public gui::Window {
public:
    HostWindow();
    ~HostWindow() override;

    // Creates the window with a client of the given size.
    void Open(int clientWidth = 640, int clientHeight = 480);
};

// A test with a host window open at the default size.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override { host.Open(); }
    HostWindow host;
};

}  // namespace guitest
