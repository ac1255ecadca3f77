#pragma once

#include <windows.h>

#include "util/Object.h"
#include "util/String.h"

namespace gui {

class WindowMessageRouter;
struct ThreadCreationRecord;

// A window object bound to one native window. Construction sets styles and fields; Create makes
// the native window, whose handle the creation hook binds to this object before the first message
// arrives; the window procedure then turns messages into calls of the virtual handlers below.
// Exceptions thrown by handlers never cross the system's frames: the router keeps them and they
// are thrown again where the program's own code resumes (Create, the message loop).
// A window object lives on the thread that created it (the GUI thread) and is used only there.
// When its native window is destroyed, whichever way, the object is told (WM_NCDESTROY): its
// handle is cleared, it is marked destroyed and the router forgets it. Objects handed to the
// router with Adopt are then deleted; others belong to whoever made them (members, locals).
class Window : public Object {
public:
    enum Kind { PlainWindow = 0, FrameWindow = 1, ChildWindow = 2 };

    explicit Window(const wchar_t* className);
    // Also removes the router's entry for this object, so that no entry outlives it. The font is
    // deleted only when the window owns it.
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    virtual void SetText(const wchar_t* text);
    virtual void SetPosition(int x, int y, int width, int height, UINT flags);
    virtual void SetPosition(const RECT& rectangle, UINT flags);
    virtual void OnRegisterClass(WNDCLASSEXW& description);
    virtual void OnCreate();
    // Runs once, when the native window receives WM_DESTROY, whichever way it is destroyed.
    virtual void OnDestroy();
    // Destroys the native window if it still exists. An adopted object may be deleted when this
    // returns (an override calls it last); a handler calling it is never cut short.
    virtual void Destroy();
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnSize(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    virtual void OnPaint(HDC deviceContext);
    virtual int OnClose();
    virtual LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnTimer(WPARAM timerId);

    // Registers the window class once per process (a registered class is reused).
    void RegisterClass();
    // Makes the native window as a child or owned window of parent; returns its handle. When a
    // handler fails (WM_CREATE, OnCreate) the native window is destroyed, the failure is thrown
    // and the object, adopted or not, is left to the caller to delete.
    HWND Create(HWND parent);
    void SetHook();
    static LRESULT CALLBACK StaticCBTProc(int code, WPARAM wParam, LPARAM lParam);

    // Fills target with the window text; an empty text leaves target as it was.
    String& GetText(String& target);
    void CenterOnWorkArea();
    void LoadMenu(int resourceId);
    void AddStyle(DWORD bits);
    // Gives the window a font (sent with WM_SETFONT once the window exists). An owned font is
    // deleted with the window or when replaced; a shared one (a TextFont's) is left to its owner.
    void SetFont(HFONT value, bool owned);

    HWND GetHandle() const { return handle; }
    DWORD GetStyle() const { return style; }
    DWORD GetExtendedStyle() const { return extendedStyle; }
    int GetKind() const { return kind; }
    bool IsDestroyed() const { return destroyed; }
    const wchar_t* GetWindowClassName() const { return windowClassName ? windowClassName : className; }

protected:
    // DefFrameProcW, DefMDIChildProcW or DefWindowProcW, by kind.
    LRESULT DefaultProcessing(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The table dispatcher shared by every window procedure.
    LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void UseClassName();

    HWND handle;
    DWORD style;
    DWORD extendedStyle;
    HINSTANCE instance;
    HMENU menuOrId;
    const wchar_t* windowClassName;  // not owned
    HFONT font;                      // owned when ownsFont is set
    ThreadCreationRecord* creationRecord;
    bool registerClass;
    void* creationParameter;
    int kind;
    HWND mdiClientHandle;
    bool destroyed;
    WindowMessageRouter* router;  // the process's one router, never deleted

private:
    friend class WindowMessageRouter;

    bool ownsFont;
    bool adopted;            // deleted by the router once its window is gone
    bool deletionScheduled;  // waiting for the router to delete it

    LRESULT CreationHook(int code, WPARAM wParam, LPARAM lParam);
    // A failed creation: destroys the window if it was made and forgets the handle.
    void Abandon(HWND created);
};

}  // namespace gui
