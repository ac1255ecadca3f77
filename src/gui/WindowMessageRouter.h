#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <vector>

#include "common/CriticalSection.h"
#include "util/Object.h"

namespace gui {

class Window;

// What a thread hands its creation hook: the window being created and the hook installed for it.
struct ThreadCreationRecord {
    Window* window;
    HHOOK hook;
};

// The process's one table from native window handles to window objects; every message of every
// framework window class passes through RouteMessage.
//
// Threads: the table itself (Bind, Unbind, Lookup, Contains, GetEntryCount) is guarded by the lock
// and may be used from any thread; the lock is never held while a window is destroyed or a
// handler runs, so a worker that the GUI thread waits for can still look a handle up. Everything
// else (RouteMessage, DeleteWindow, Adopt, DeletionHold) belongs to the thread that owns the
// windows, the GUI thread.
//
// Lifetime: when a native window is destroyed, whichever way (Destroy, its parent destroyed,
// WM_MDIDESTROY, a close handled by default processing), its WM_NCDESTROY clears the object's
// handle, marks it destroyed and removes its entry. Only an adopted object is then deleted. No
// object is deleted while framework code is on the stack: a deletion waits for the end of the
// outermost dispatched message (or DeleteWindow, Destroy, MDIDestroy, Create) of the thread.
class WindowMessageRouter : public Object {
public:
    static WindowMessageRouter* GetInstance();

    // Creates the calling thread's creation record; refused when the thread has one.
    ThreadCreationRecord* SetTLSIndex();
    // The calling thread's record, or null.
    ThreadCreationRecord* GetThreadRecord() const;
    DWORD GetTLSIndex() const { return tlsIndex; }
    CriticalSection& GetLock() { return lock; }

    // The class window procedure of every framework window class.
    static LRESULT CALLBACK StaticRouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The router owns the object (made with new) from now on and deletes it once its native window
    // is gone. Call it after Create succeeded: a failed Create leaves the object to its caller.
    void Adopt(Window* window);
    // Destroys the native window if it is alive, then deletes the object (adopted or not), after
    // the outermost dispatch when called from a handler. A second call before that is ignored.
    void DeleteWindow(Window* window);
    Window* Lookup(HWND window) const;
    // Enters a handle, replacing whatever the handle value meant before.
    void Bind(HWND window, Window* object);
    // Removes every entry that refers to the object.
    void Unbind(const Window* object);
    bool Contains(const Window* object) const;
    size_t GetEntryCount() const;

    // Holds back the deletions of the calling thread while framework code that may still touch
    // the objects is on the stack; the outermost hold deletes them when it ends.
    class DeletionHold {
    public:
        DeletionHold();
        ~DeletionHold();
        DeletionHold(const DeletionHold&) = delete;
        DeletionHold& operator=(const DeletionHold&) = delete;
    };

    // Called inside a catch block at a boundary with the system's frames: keeps the exception in
    // flight for the calling thread (the first one wins; later ones are dropped).
    static void KeepException();
    // Throws the kept exception again, if any, and forgets it.
    static void RethrowPendingException();
    static bool HasPendingException();

private:
    friend class Window;

    WindowMessageRouter();

    static uint32_t Key(HWND window) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)); }

    // The native window is gone: the object lets go of its handle and entry; an adopted one goes.
    void Release(Window* object);
    // Releases the objects of every entry whose window no longer exists (controls of system
    // classes, whose WM_NCDESTROY never reaches the router, die with their framework parent).
    void ReleaseDeadEntries();
    void ScheduleDeletion(Window* object);
    static void DeleteScheduled();
    // The object is being deleted by whoever owns it: nothing may refer to it any more.
    void Forget(const Window* object);

    mutable CriticalSection lock;
    std::map<uint32_t, Window*> windows;
    std::vector<ThreadCreationRecord*> records;  // never freed: threads may still refer to them
    DWORD tlsIndex;
};

}  // namespace gui
