#include "common/ConsoleSignal.h"

#include <mutex>

namespace {

std::mutex consoleLock;

BOOL WINAPI IgnoreSignal(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? TRUE : FALSE;
}

}  // namespace

void ConsoleSignal::InstallHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] { SetConsoleCtrlHandler(IgnoreSignal, TRUE); });
}

ConsoleSignal& ConsoleSignal::Instance() {
    static ConsoleSignal instance;
    return instance;
}

bool ConsoleSignal::Send(DWORD processId, StopSettings::Console console) {
    if (console == StopSettings::Console::None || processId == 0 || processId == GetCurrentProcessId()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    DWORD event = console == StopSettings::Console::CtrlC ? CTRL_C_EVENT : CTRL_BREAK_EVENT;
    InstallHandler();  // done at the start already; here too for any other user of the class
    std::lock_guard<std::mutex> hold(consoleLock);
    // A console this program was started with would take the event instead of the run's: it is
    // let go of first (a window program normally has none).
    FreeConsole();
    if (!AttachConsole(processId)) {
        return false;
    }
    // Group 0: every process on the run's console, which is the run's alone (each run is started
    // with a console of its own).
    BOOL sent = GenerateConsoleCtrlEvent(event, 0);
    DWORD error = GetLastError();
    FreeConsole();
    SetLastError(error);
    return sent != FALSE;
}
