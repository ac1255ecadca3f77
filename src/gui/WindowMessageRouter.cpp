#include "gui/WindowMessageRouter.h"

#include <algorithm>
#include <exception>

#include "gui/Window.h"
#include "util/Exception.h"

namespace gui {
namespace {

// The exception caught at a boundary of this thread that waits to be thrown again.
thread_local std::exception_ptr pendingException;
// How many deletion holds the thread is inside.
thread_local int holdDepth = 0;

// The objects waiting for the thread's last hold to end. Never freed: windows that are members of
// static objects are deleted after the thread's own objects are gone.
std::vector<Window*>& ScheduledDeletions() {
    thread_local std::vector<Window*>* scheduled = new std::vector<Window*>();
    return *scheduled;
}

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
        // A window whose creation failed is not created at all (CreateWindowExW destroys it).
        return message == WM_CREATE ? -1 : 0;
    }
}

LRESULT WindowMessageRouter::RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* object = Lookup(window);
    if (!object) {
        // A window whose object is gone (or not yet known) still needs its messages answered.
        return DefWindowProcW(window, message, wParam, lParam);
    }
    DeletionHold hold;
    if (message != WM_NCDESTROY) {
        return object->WindowProc(window, message, wParam, lParam);
    }
    // The object lets go of the window even when its handler fails.
    LRESULT result = 0;
    try {
        result = object->WindowProc(window, message, wParam, lParam);
    } catch (...) {
        KeepException();
    }
    Release(object);
    ReleaseDeadEntries();
    return result;
}

void WindowMessageRouter::Adopt(Window* window) {
    window->adopted = true;
}

void WindowMessageRouter::DeleteWindow(Window* window) {
    if (!window || window->deletionScheduled) {
        return;
    }
    DeletionHold hold;
    // Not under the lock: destroying a window may wait for a thread that looks handles up.
    window->Destroy();
    Unbind(window);
    ScheduleDeletion(window);
}

void WindowMessageRouter::Release(Window* object) {
    object->handle = nullptr;
    object->destroyed = true;
    Unbind(object);
    if (object->adopted) {
        ScheduleDeletion(object);
    }
}

void WindowMessageRouter::ReleaseDeadEntries() {
    std::vector<Window*> dead;
    {
        CriticalSection::Lock hold(lock);
        for (const auto& entry : windows) {
            if (!IsWindow(entry.second->handle)) {
                dead.push_back(entry.second);
            }
        }
    }
    for (Window* object : dead) {
        Release(object);
    }
}

void WindowMessageRouter::ScheduleDeletion(Window* object) {
    if (object->deletionScheduled) {
        return;
    }
    object->deletionScheduled = true;
    ScheduledDeletions().push_back(object);
    if (holdDepth == 0) {
        DeleteScheduled();
    }
}

void WindowMessageRouter::DeleteScheduled() {
    // A destructor may destroy windows and schedule more deletions; each is taken off first.
    std::vector<Window*>& scheduled = ScheduledDeletions();
    while (!scheduled.empty()) {
        Window* object = scheduled.back();
        scheduled.pop_back();
        try {
            delete object;
        } catch (...) {
            KeepException();
        }
    }
}

void WindowMessageRouter::Forget(const Window* object) {
    Unbind(object);
    if (object->deletionScheduled) {
        std::vector<Window*>& scheduled = ScheduledDeletions();
        scheduled.erase(std::remove(scheduled.begin(), scheduled.end(), object), scheduled.end());
    }
}

WindowMessageRouter::DeletionHold::DeletionHold() {
    ++holdDepth;
}

WindowMessageRouter::DeletionHold::~DeletionHold() {
    if (--holdDepth == 0) {
        DeleteScheduled();
    }
}

Window* WindowMessageRouter::Lookup(HWND window) const {
    CriticalSection::Lock hold(lock);
    auto found = windows.find(Key(window));
    return found == windows.end() ? nullptr : found->second;
}

void WindowMessageRouter::Bind(HWND window, Window* object) {
    CriticalSection::Lock hold(lock);
    // The system reuses handle values: a new window replaces whatever the value meant before.
    windows[Key(window)] = object;
}

void WindowMessageRouter::Unbind(const Window* object) {
    CriticalSection::Lock hold(lock);
    for (auto entry = windows.begin(); entry != windows.end();) {
        entry = entry->second == object ? windows.erase(entry) : std::next(entry);
    }
}

bool WindowMessageRouter::Contains(const Window* object) const {
    CriticalSection::Lock hold(lock);
    for (const auto& entry : windows) {
        if (entry.second == object) {
            return true;
        }
    }
    return false;
}

size_t WindowMessageRouter::GetEntryCount() const {
    CriticalSection::Lock hold(lock);
    return windows.size();
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
