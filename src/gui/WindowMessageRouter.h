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

    // Destroys the window and deletes the object, if the object is in the table.
    void DeleteWindow(Window* window);
    Window* Lookup(HWND window) const;
    // Enters a handle, replacing whatever the handle value meant before.
    void Bind(HWND window, Window* object);
    // Removes every entry that refers to the object.
    void Unbind(const Window* object);
    bool Contains(const Window* object) const;
    size_t GetEntryCount() const { return windows.size(); }

    // Called inside a catch block at a boundary with the system's frames: keeps the exception in
    // flight for the calling thread (the first one wins; later ones are dropped).
    static void KeepException();
    // Throws the kept exception again, if any, and forgets it.
    static void RethrowPendingException();
    static bool HasPendingException();

private:
    WindowMessageRouter();

    static uint32_t Key(HWND window) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)); }

    CriticalSection lock;
    std::map<uint32_t, Window*> windows;
    std::vector<ThreadCreationRecord*> records;  // never freed: threads may still refer to them
    DWORD tlsIndex;
};

}  // namespace gui
