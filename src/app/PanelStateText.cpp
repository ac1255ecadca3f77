#include "app/PanelStateText.h"

#include <cwchar>

namespace {

// The values of ProcessWindow::State; this file only needs the numbers.
const int kRunning = 1;
const int kStopping = 2;
const int kWaiting = 3;

}  // namespace

bool PanelStateText::IsCrash(uint32_t exitCode) {
    return (exitCode & 0xC0000000u) == 0xC0000000u;
}

std::wstring PanelStateText::Elapsed(uint64_t ms) {
    uint64_t seconds = ms / 1000;
    wchar_t text[48];
    swprintf(text, sizeof(text) / sizeof(text[0]), L"%lu:%02u:%02u", static_cast<unsigned long>(seconds / 3600),
             static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    return text;
}

bool PanelStateText::Failed(const Facts& facts) {
    return facts.failedToStart || (facts.endedByItself && facts.exitCode != 0);
}

std::wstring PanelStateText::Text(const Facts& facts) {
    if (facts.state == kStopping) {
        return L"stopping";
    }
    if (facts.state == kWaiting) {
        return L"waiting";
    }
    if (facts.state == kRunning) {
        if (facts.restartInMs == 0) {
            return L"running " + Elapsed(facts.runMs);
        }
        // Whole seconds, rounded up: the wait never reads 0 s while it still goes on.
        return L"restarting in " + std::to_wstring((facts.restartInMs + 999) / 1000) + L" s";
    }
    if (facts.failedToStart) {
        return L"failed to start";
    }
    if (!facts.endedByItself || facts.exitCode == 0) {
        return L"stopped";
    }
    if (IsCrash(facts.exitCode)) {
        wchar_t code[32];
        swprintf(code, sizeof(code) / sizeof(code[0]), L"crashed 0x%08lX", static_cast<unsigned long>(facts.exitCode));
        return code;
    }
    return L"exit code " + std::to_wstring(facts.exitCode);
}

PanelStateText::Icon PanelStateText::IconFor(const Facts& facts) {
    if (facts.state == kStopping) {
        return Icon::Stopping;
    }
    if (facts.state == kRunning && facts.restartInMs == 0) {
        return Icon::Running;
    }
    // A wait for a restart shows what the run it follows left, as a stopped window does.
    return Failed(facts) ? Icon::Failed : Icon::Stopped;
}
