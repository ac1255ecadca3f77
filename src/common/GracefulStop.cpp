#include "common/GracefulStop.h"

#include <algorithm>

#include "common/ExitLine.h"
#include "common/Process.h"
#include "common/StopLine.h"
#include "common/StopOutput.h"
#include "util/Exception.h"
#include "util/SystemError.h"

// The stop program's end and output: its lines go into the run's output after "[stop] ", and
// its end wakes the stop's thread.
class GracefulStop::ProgramWatch : public IThreadObserver, public util::logging::ILogger {
public:
    explicit ProgramWatch(const std::function<void(const std::wstring&)>& output)
        : output(output), ended(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~ProgramWatch() override { CloseHandle(ended); }
    ProgramWatch(const ProgramWatch&) = delete;
    ProgramWatch& operator=(const ProgramWatch&) = delete;

    void ThreadStateChanged(bool running) override {
        if (!running) {
            SetEvent(ended);
        }
    }
    void Log(const wchar_t* text) override {
        std::wstring lines = lineBuffer.Take(text);
        if (!lines.empty()) {
            output(lines);
        }
    }
    // After the program has ended: its last line, when it wrote one without a line end.
    void Flush() {
        std::wstring rest = lineBuffer.Flush();
        if (!rest.empty()) {
            output(rest);
        }
    }
    HANDLE Ended() const { return ended; }

private:
    std::function<void(const std::wstring&)> output;
    StopOutput lineBuffer;
    HANDLE ended;
};

namespace {

// Windows the system makes for itself in every program with windows; closing them asks nothing.
bool IsImeWindow(HWND window) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return wcscmp(name, L"IME") == 0 || wcscmp(name, L"MSCTFIME UI") == 0;
}

struct WindowSearch {
    const std::vector<DWORD>* processIds;
    size_t closed;
};

BOOL CALLBACK CloseIfOfRun(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    const std::vector<DWORD>& ids = *search->processIds;
    if (std::find(ids.begin(), ids.end(), owner) != ids.end() && !GetWindow(window, GW_OWNER) &&
        !IsImeWindow(window) && PostMessageW(window, WM_CLOSE, 0, 0)) {
        ++search->closed;
    }
    return TRUE;
}

}  // namespace

GracefulStop::GracefulStop(Run run)
    : run(std::move(run)),
      childId(0),
      signal(nullptr),
      programReported(false),
      deadline(0),
      active(false),
      endNow(false),
      finishEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      endNowEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

GracefulStop::~GracefulStop() {
    Finish(true);
    CloseHandle(finishEvent);
    CloseHandle(endNowEvent);
}

bool GracefulStop::Applies(const StopSettings& settings) {
    return settings.present && (!settings.executable.empty() || settings.console != StopSettings::Console::None ||
                                settings.window);
}

void GracefulStop::Begin(const StopSettings& stop,
                         DWORD child,
                         IConsoleSignal& consoleSignal,
                         std::unique_ptr<Process> stopProgram) {
    Finish(true);  // a stop of an earlier run still winding down
    settings = stop;
    childId = child;
    signal = &consoleSignal;
    program = std::move(stopProgram);
    programReported = false;
    deadline = GetTickCount64() + settings.timeoutMs;
    endNow = false;
    ResetEvent(finishEvent);
    ResetEvent(endNowEvent);
    active = true;
    worker = std::thread([this] { Steps(); });
}

void GracefulStop::Finish(bool now) {
    if (!worker.joinable()) {
        active = false;
        return;
    }
    if (now) {
        EndNow();
    }
    SetEvent(finishEvent);
    worker.join();
    program.reset();
    watch.reset();
    active = false;
}

void GracefulStop::EndNow() {
    endNow = true;
    SetEvent(endNowEvent);
}

DWORD GracefulStop::Remaining() const {
    ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

void GracefulStop::Steps() {
    try {
        if (settings.console != StopSettings::Console::None) {
            SendSignal();
        }
        if (settings.window) {
            run.output(StopLine::WindowsClosed(CloseWindows(run.processIds())));
        }
        if (program) {
            StartProgram();
        }
        if (!WaitForRun()) {
            run.output(StopLine::TimedOut(settings.timeoutMs));
            run.endAfterTimeout();
            endNow = true;
        }
        EndProgram();
    } catch (Exception* e) {
        // Nothing may escape this thread; the run is ended all the same.
        run.output(L"Stopping: " + std::wstring(e->GetMessageText().GetBuffer()) + L"\r\n");
        delete e;
        run.endAfterTimeout();
    }
}

void GracefulStop::SendSignal() {
    if (signal->Send(childId, settings.console)) {
        run.output(StopLine::Signal(settings.console));
    } else {
        std::wstring reason = GetSystemErrorText();
        reason.erase(reason.find_last_not_of(L" \t\r\n.") + 1);
        run.output(StopLine::SignalFailed(settings.console, reason));
    }
}

void GracefulStop::StartProgram() {
    watch.reset(new ProgramWatch(run.output));
    program->SetObserver(watch.get());
    program->SetLogger(watch.get());
    try {
        program->Start();
    } catch (Exception* e) {
        run.output(StopLine::CommandFailed(e->GetMessageText().GetBuffer()));
        delete e;
        programReported = true;
    }
}

bool GracefulStop::WaitForRun() {
    for (;;) {
        HANDLE waits[2] = {finishEvent, watch ? watch->Ended() : nullptr};
        DWORD count = watch && !programReported ? 2 : 1;
        DWORD result = WaitForMultipleObjects(count, waits, FALSE, Remaining());
        if (result == WAIT_OBJECT_0) {
            return true;
        }
        if (result != WAIT_OBJECT_0 + 1) {
            return false;  // the timeout (or a wait that failed: the run is ended all the same)
        }
        ReportProgram();
    }
}

void GracefulStop::EndProgram() {
    if (!program || programReported) {
        return;
    }
    // The run is over: the stop program has what is left of the timeout, unless all must end now.
    HANDLE waits[2] = {endNowEvent, watch->Ended()};
    if (!endNow.load() && WaitForMultipleObjects(2, waits, FALSE, Remaining()) == WAIT_OBJECT_0 + 1) {
        ReportProgram();
        return;
    }
    if (program->IsRunning()) {
        program->Terminate();
    }
    ReportProgram();
}

void GracefulStop::ReportProgram() {
    program->WaitForEnd(INFINITE);  // its end is told just before its worker returns
    programReported = true;
    watch->Flush();
    if (program->GetEndReason() == ExitLine::Reason::FailedToStart) {
        std::wstring note = program->GetEndNote();
        const std::wstring told = L"failed to start: ";
        run.output(StopLine::CommandFailed(note.compare(0, told.size(), told) == 0 ? note.substr(told.size()) : note));
        return;
    }
    run.output(StopLine::CommandEnded(program->GetExitCode()));
}

size_t GracefulStop::CloseWindows(const std::vector<DWORD>& processIds) {
    WindowSearch search = {&processIds, 0};
    EnumWindows(CloseIfOfRun, reinterpret_cast<LPARAM>(&search));
    return search.closed;
}
