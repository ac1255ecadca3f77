#pragma once

#include <windows.h>

#include <map>

#include "gui/Window.h"
#include "util/String.h"

namespace gui {

class MDIChildWindow;

// The object of the system's MDI client window, which holds the document windows. Its messages go
// to the system class, never through the framework's dispatcher.
class MDIClientWindow : public Window {
public:
    MDIClientWindow();
    // Destroys every child window and deletes its object.
    ~MDIClientWindow() override;

    // The active child's object; null when there is none or it is unknown to the router.
    MDIChildWindow* GetActiveChild();
    // Activates the child after the active one, or the one before it when previous, as the MDI
    // keys do; repeated, either way goes round every child.
    void ActivateNext(bool previous);
    // Activates the child listed at index (from 0) in the Window menu, restoring it when
    // minimised; false when there is no such child.
    bool ActivateListed(int index);

    // One counting pass: counts the children not yet registered under their present title (a
    // title is registered once, however many children carry it) and returns the count.
    int CountChildren();
    static BOOL CALLBACK EnumMDIChildProc_Count(HWND child, LPARAM client);

    int GetChildCount() const { return childCount; }
    void SetChildCount(int count) { childCount = count; }
    std::map<String, MDIChildWindow*>& GetChildrenByTitle() { return childrenByTitle; }
    // Removes the entry of a child, if it has one (the child is being destroyed).
    void ForgetChild(const MDIChildWindow* child);

private:
    void CountChild(HWND child);
    static BOOL CALLBACK DisposeChildProc(HWND child, LPARAM client);

    CLIENTCREATESTRUCT clientCreate;
    int childCount;
    std::map<String, MDIChildWindow*> childrenByTitle;  // values not owned
};

}  // namespace gui
