#include "app/OutputQueue.h"

#include <utility>

#include "common/Thread.h"
#include "util/Exception.h"
#include "util/SystemError.h"
#include "util/TextScan.h"

namespace {
// How often a reader waiting for room wakes the window again when its last wake-up was lost.
const DWORD kWakeUpRetryMs = 1000;
}  // namespace

OutputQueue::OutputQueue(size_t capacity, WakeUp wakeUp)
    : capacity(capacity), wakeUp(std::move(wakeUp)), wakeUpPosted(false), roomEvent(nullptr) {
    roomEvent = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    if (!roomEvent) {
        throw new Exception(L"OutputQueue::OutputQueue()\nCreateEvent failed\n%s", GetSystemErrorText());
    }
}

OutputQueue::~OutputQueue() {
    CloseHandle(roomEvent);
}

void OutputQueue::Push(const wchar_t* text, Thread* writer, bool mayWait) {
    if (mayWait) {
        WaitForRoom(writer);
    }
    CriticalSection::Lock hold(lock);
    pending.append(text, TextScan::WideLength(text));
    if (pending.size() >= capacity) {
        ResetEvent(roomEvent);
    }
    WakeUpOnce();
}

void OutputQueue::WaitForRoom(Thread* writer) {
    HANDLE events[2] = {roomEvent, writer ? writer->GetStopEvent() : nullptr};
    // A stop request ends the wait at once: the run must end soon after it, and the text it still
    // writes (the run's footer) is kept all the same. A lost wake-up would leave
    // the window idle and this reader waiting for good: it is tried again while the wait lasts.
    while (WaitForMultipleObjects(events[1] ? 2 : 1, events, FALSE, kWakeUpRetryMs) == WAIT_TIMEOUT) {
        CriticalSection::Lock hold(lock);
        WakeUpOnce();
    }
}

void OutputQueue::WakeUpOnce() {
    if (!wakeUpPosted) {
        wakeUpPosted = !wakeUp || wakeUp();
    }
}

bool OutputQueue::TakeAll(std::wstring& target) {
    target.clear();
    CriticalSection::Lock hold(lock);
    target.swap(pending);
    wakeUpPosted = !target.empty();
    SetEvent(roomEvent);
    return wakeUpPosted;
}

void OutputQueue::Discard() {
    // The wake-up state stays as it is: a lost one must still be tried again by the next Push,
    // and one on its way still comes.
    CriticalSection::Lock hold(lock);
    std::wstring().swap(pending);
    SetEvent(roomEvent);
}
