#include "gui/WindowMessageRouter.h"

#include <exception>

#include "gui/Window.h"
#include "util/Exception.h"

namespace gui {
namespace {

// The exception caught at a boundary of this thread that waits to be thrown again.
thread_local std::exception_ptr pendingException;

}  // namespace

WindowMessageRouter::WindowMessageRouter() : tlsIndex(TLS_OUT_OF_INDEXES) {
    className = L"WindowMessageRouter";
    tlsIndex = TlsAlloc();
    if (tlsIndex == TLS_OUT_OF_INDEXES) {
        throw new Exception(L"WindowMessageRouter::WindowMessageRouter()\nFailed to allocate TLS Index");
    }
}

WindowMessageRouter* WindowMessageRouter::GetInstance() {
    // Made on first use and never deleted: windows may still route messages during process exit.
    static WindowMessageRouter* instance = new WindowMessageRouter();
    return instance;
}

ThreadCreationRecord* WindowMessageRouter::SetTLSIndex() {
    CriticalSection::Lock hold(lock);
    if (TlsGetValue(tlsIndex) != nullptr) {
        throw new Exception(L"WindowMessageRouter::SetTLSIndex()\nAttempted to set TLS more than once");
    }
    ThreadCreationRecord* record = new ThreadCreationRecord();
    TlsSetValue(tlsIndex, record);
    records.push_back(record);
    return record;
}

ThreadCreationRecord* WindowMessageRouter::GetThreadRecord() const {
    return static_cast<ThreadCreationRecord*>(TlsGetValue(tlsIndex));
}

LRESULT CALLBACK WindowMessageRouter::StaticRouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return GetInstance()->RouteMessage(window, message, wParam, lParam);
    } catch (...) {
        KeepException();
        return 0;
    }
}

LRESULT WindowMessageRouter::RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* object = Lookup(window);
    if (!object) {
        // A window whose object is gone (or not yet known) still needs its messages answered.
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return object->WindowProc(window, message, wParam, lParam);
}

void WindowMessageRouter::DeleteWindow(Window* window) {
    CriticalSection::Lock hold(lock);
    // Destroy may re-enter the router (an MDI client deletes its children), so walk a copy.
    std::map<uint32_t, Window*> snapshot = windows;
    for (const auto& entry : snapshot) {
        if (entry.second == window) {
            window->Destroy();
            delete window;
            Unbind(window);
            return;
        }
    }
}

Window* WindowMessageRouter::Lookup(HWND window) const {
    auto found = windows.find(Key(window));
    return found == windows.end() ? nullptr : found->second;
}

void WindowMessageRouter::Bind(HWND window, Window* object) {
    CriticalSection::Lock hold(lock);
    // The system reuses handle values: a new window replaces whatever the value meant before.
    windows.erase(Key(window));
    windows[Key(window)] = object;
}

void WindowMessageRouter::Unbind(const Window* object) {
    CriticalSection::Lock hold(lock);
    for (auto entry = windows.begin(); entry != windows.end();) {
        entry = entry->second == object ? windows.erase(entry) : std::next(entry);
    }
}

bool WindowMessageRouter::Contains(const Window* object) const {
    for (const auto& entry : windows) {
        if (entry.second == object) {
            return true;
        }
    }
    return false;
}

void WindowMessageRouter::KeepException() {
    if (!pendingException) {
        pendingException = std::current_exception();
        return;
    }
    // One failure is reported; the ones that follow from it are dropped (and freed).
    try {
        throw;
    } catch (Exception* dropped) {
        delete dropped;
    } catch (...) {
    }
}

void WindowMessageRouter::RethrowPendingException() {
    if (pendingException) {
        std::exception_ptr kept = pendingException;
        pendingException = nullptr;
        std::rethrow_exception(kept);
    }
}

bool WindowMessageRouter::HasPendingException() {
    return static_cast<bool>(pendingException);
}

}  // namespace gui
