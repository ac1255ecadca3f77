#pragma once

#include <windows.h>

#include "gui/Window.h"

namespace gui {

class MDIClientWindow;

// Base of the document windows inside the MDI client. Keeps the frame's caption in step with the
// active child and hands the frame's "Window" menu to the client for its list of children.
class MDIChildWindow : public Window {
public:
    explicit MDIChildWindow(const wchar_t* className);

    void SetText(const wchar_t* text) override;
    void OnDestroy() override;
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    virtual LRESULT OnActivate();
    virtual LRESULT OnDeactivate();
    // Asks the client to destroy this child. An adopted child is deleted when this returns (at
    // the end of the outermost dispatch when called from a handler); an override calls it last.
    virtual void MDIDestroy();
    virtual Window* GetFrameWindow();
    virtual void SetFrameWindow(Window* frame);
    virtual MDIClientWindow* GetMDIClientWindow();
    // Shows "<application> - <text>" in the frame's caption while this child is the active one;
    // a null text means the child's own window text.
    virtual void UpdateFrameTitle(const wchar_t* text = nullptr);

    // Gives the client the frame menu's top-level "Window" item as the list of open children.
    void SetWindowMenu();

protected:
    // The client, or null when it cannot be found (no exception).
    MDIClientWindow* FindMDIClientWindow();
    bool IsActiveChild(const WINDOWINFO& info);

    MDICREATESTRUCTW mdiCreate;
    Window* frameWindow;               // not owned
    MDIClientWindow* mdiClientWindow;  // not owned
};

}  // namespace gui
