#pragma once

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "common/ILogger.h"
#include "common/IThreadObserver.h"

namespace testsupport {

// Polls until done() holds; false when the time ran out first.
template <typename Condition>
bool WaitUntil(Condition done, DWORD timeoutMs = 20000) {
    for (DWORD start = GetTickCount(); !done(); Sleep(10)) {
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
    }
    return true;
}

// Keeps every Log call; tests wait for a given call to arrive.
class RecordingLogger : public util::logging::ILogger {
public:
    void Log(const wchar_t* text) override {
        std::lock_guard<std::mutex> hold(mutex);
        calls.push_back(text);
    }
    // The child's own output is kept as a call too, and also by itself.
    void LogOutput(const wchar_t* text) override {
        Log(text);
        std::lock_guard<std::mutex> hold(mutex);
        output += text;
    }
    std::wstring Output() {
        std::lock_guard<std::mutex> hold(mutex);
        return output;
    }

    void Clear() {
        std::lock_guard<std::mutex> hold(mutex);
        calls.clear();
        output.clear();
    }

    std::vector<std::wstring> Calls() {
        std::lock_guard<std::mutex> hold(mutex);
        return calls;
    }

    std::wstring Text() {
        std::wstring all;
        for (const std::wstring& call : Calls()) {
            all += call;
        }
        return all;
    }

    // Waits until the call has been made count times; false on timeout.
    bool WaitForCall(const std::wstring& call, int count = 1) {
        return WaitUntil([&] {
            std::vector<std::wstring> made = Calls();
            return std::count(made.begin(), made.end(), call) >= count;
        });
    }

private:
    std::mutex mutex;
    std::vector<std::wstring> calls;
    std::wstring output;
};

// Keeps every state change and failure told, in order.
class RecordingObserver : public IThreadObserver {
public:
    void ThreadStateChanged(bool running) override {
        std::lock_guard<std::mutex> hold(mutex);
        states.push_back(running);
    }
    void ThreadFailed(const std::wstring& message) override {
        std::lock_guard<std::mutex> hold(mutex);
        failures.push_back(message);
    }
    std::vector<bool> States() {
        std::lock_guard<std::mutex> hold(mutex);
        return states;
    }
    std::vector<std::wstring> Failures() {
        std::lock_guard<std::mutex> hold(mutex);
        return failures;
    }

private:
    std::mutex mutex;
    std::vector<bool> states;
    std::vector<std::wstring> failures;
};

inline std::wstring Footer() {
    return L"\r\n---- Tarnwick Debug Info ----\r\n";
}

}  // namespace testsupport
