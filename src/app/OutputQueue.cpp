#include "app/OutputQueue.h"

#include "common/Thread.h"
#include "util/Exception.h"
#include "util/SystemError.h"
#include "util/TextScan.h"

OutputQueue::OutputQueue(size_t capacity) : capacity(capacity), wakeUpPosted(false), roomEvent(nullptr) {
    roomEvent = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    if (!roomEvent) {
        throw new Exception(L"OutputQueue::OutputQueue()\nCreateEvent failed\n%s", GetSystemErrorText());
    }
}

OutputQueue::~OutputQueue() {
    CloseHandle(roomEvent);
}

bool OutputQueue::Push(const wchar_t* text, Thread* writer, bool mayWait) {
    if (mayWait) {
        WaitForRoom(writer ? writer->GetStopEvent() : nullptr);
    }
    Thread::Unkillable unkillable(writer);
    CriticalSection::Lock hold(lock);
    pending.append(text, TextScan::WideLength(text));
    if (pending.size() >= capacity) {
        ResetEvent(roomEvent);
    }
    if (wakeUpPosted) {
        return false;
    }
    wakeUpPosted = true;
    return true;
}

void OutputQueue::WaitForRoom(HANDLE stopEvent) {
    HANDLE events[2] = {roomEvent, stopEvent};
    // A stop request ends the wait at once: the worker must see it within its grace period, and
    // the text it still writes (the run's footer) is kept all the same.
    WaitForMultipleObjects(stopEvent ? 2 : 1, events, FALSE, INFINITE);
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
    std::wstring dropped;
    TakeAll(dropped);
}
