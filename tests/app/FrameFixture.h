#pragma once

// The frame inside the test program, on a scratch configuration, pumped by the program's own
// message loop; its process windows are found by their titles.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProbeConfiguration.h"
#include "app/ConfigurationFile.h"
#include "app/MainWindow.h"
#include "app/ProcessWindow.h"
#include "app/WindowsApplication.h"
#include "gui/WindowMessageRouter.h"
#include "support/ScratchDirectory.h"
#include "support/TarnwickSession.h"

namespace apptest {

class LoopApplication : public WindowsApplication {
public:
    LoopApplication() {
        name = L"Tarnwick";
        acceleratorId = 1000;
    }
    int Run() override { return 0; }
};

inline void CALLBACK EndSlice(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(0);
}

class FrameTest : public ::testing::Test {
protected:
    // Creates the frame on a configuration of these bytes.
    void OpenText(const std::string& text) {
        path = dir.Write(L"t.tnkx", text);
        configuration.SetPath(path.c_str());
        frame.SetConfigurationFile(&configuration);
        frame.Create(nullptr);
    }
    void Open(const std::string& entries) { OpenText(Processes(entries)); }
    void Rewrite(const std::string& entries) { dir.Write(L"t.tnkx", Processes(entries)); }
    LRESULT Command(int id) { return SendMessageW(frame.GetHandle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    // Runs the program's message loop until condition holds or waitMs passed.
    template <typename Condition>
    bool WaitFor(Condition condition, DWORD waitMs = 20000) {
        for (ULONGLONG end = GetTickCount64() + waitMs; !condition(); Pump(20)) {
            if (GetTickCount64() >= end) {
                return false;
            }
        }
        return true;
    }
    void Pump(UINT ms) {
        UINT_PTR timer = SetTimer(nullptr, 0, ms, EndSlice);
        application.MessageLoop();
        KillTimer(nullptr, timer);
    }

    std::vector<HWND> Children() {
        std::vector<HWND> children;
        for (HWND c = GetWindow(frame.GetMDIClient().GetHandle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            children.push_back(c);
        }
        return children;
    }
    ProcessWindow* Window(const std::wstring& title) {
        for (HWND child : Children()) {
            if (testsupport::TarnwickSession::Text(child) == title) {
                return dynamic_cast<ProcessWindow*>(gui::WindowMessageRouter::GetInstance()->Lookup(child));
            }
        }
        return nullptr;
    }
    std::wstring Text(const std::wstring& title) {
        ProcessWindow* window = Window(title);
        return window ? window->GetOutputView().GetAllText() : std::wstring();
    }
    bool WaitForText(const std::wstring& title, const std::wstring& part) {
        return WaitFor([&] { return Text(title).find(part) != std::wstring::npos; });
    }
    // A key pressed on the display, with modifiers held around it, and the loop run to take it.
    void PressKey(WORD key, std::vector<WORD> held) {
        std::vector<INPUT> inputs;
        auto add = [&](WORD vk, DWORD flags) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = vk;
            input.ki.dwFlags = flags;
            inputs.push_back(input);
        };
        for (WORD modifier : held) {
            add(modifier, 0);
        }
        add(key, 0);
        add(key, KEYEVENTF_KEYUP);
        for (auto modifier = held.rbegin(); modifier != held.rend(); ++modifier) {
            add(*modifier, KEYEVENTF_KEYUP);
        }
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        Pump(200);
    }
    UINT MenuState(int id) { return GetMenuState(GetMenu(frame.GetHandle()), id, MF_BYCOMMAND); }

    LoopApplication application;
    testsupport::ScratchDirectory dir;
    std::wstring path;
    ConfigurationFile configuration;
    MainWindow frame;
};

}  // namespace apptest
