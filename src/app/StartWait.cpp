#include "app/StartWait.h"

#include <cwchar>
#include <utility>

StartWait::StartWait(Hooks hooks) : hooks(std::move(hooks)), waiting(false), since() {}

bool StartWait::Begin(const StartOrderSettings& order) {
    if (!order.afterSet) {
        return false;
    }
    waiting = true;
    predecessor = order.after;
    GetLocalTime(&since);
    hooks.log((GetText() + L"\r\n").c_str());
    hooks.changed();
    hooks.notify();
    return true;
}

void StartWait::StartDue() {
    if (waiting) {
        waiting = false;
        hooks.start();
        hooks.changed();  // also when the start failed: the window no longer waits
    }
}

void StartWait::Stop() {
    if (waiting) {
        waiting = false;
        hooks.log(L"Stopped waiting.\r\n");
    }
}

void StartWait::Follow(const StartOrderSettings& order) {
    if (!waiting) {
        return;
    }
    if (!order.afterSet) {
        StartDue();  // nothing to wait for any longer
    } else if (order.after != predecessor) {
        Begin(order);
    } else {
        hooks.notify();  // the ready text may have changed
    }
}

std::wstring StartWait::GetText() const {
    if (!waiting) {
        return std::wstring();
    }
    wchar_t time[16] = {};
    swprintf(time, 16, L"%02u:%02u:%02u", static_cast<unsigned>(since.wHour), static_cast<unsigned>(since.wMinute),
             static_cast<unsigned>(since.wSecond));
    return L"Waiting for \"" + predecessor + L"\" since " + time;
}

void StartWait::RunStarted() {
    readiness.BeginRun();
    hooks.notify();
}

void StartWait::RunEnded(bool succeeded) {
    if (readiness.IsRunning()) {
        readiness.EndRun(succeeded);
        hooks.notify();
    }
}

void StartWait::Forget() {
    waiting = false;
    readiness.Clear();
}

bool StartWait::Feed(const wchar_t* output) {
    return readiness.Feed(output, wcslen(output));
}
