#include "common/Process.h"

#include <cstdint>
#include <vector>

#include "common/ChildStart.h"
#include "common/ConsoleSignal.h"
#include "common/RestartLine.h"
#include "util/Exception.h"
#include "util/SystemError.h"

namespace {

std::wstring Text(const String& s) {
    return s.IsNull() ? std::wstring() : std::wstring(s.GetBuffer());
}

}  // namespace

Process::Process(const wchar_t* name)
    : Thread(name),
      childProcess(nullptr),
      childThread(nullptr),
      processId(0),
      childThreadId(0),
      exitCode(0),
      reader(output),
      outputEncoding(util::OutputEncoding::Mode::Auto),
      consoleHints(true),
      jobInUse(false),
      childStarted(false),
      runStart(0),
      endReason(-1),
      lastReason(static_cast<int>(ExitLine::Reason::ByItself)),
      failedStarts(0),
      failureLogged(false),
      restartMode(static_cast<int>(RestartPolicy::Mode::Never)),
      footerDue(false),
      treeEnded(false),
      lastTreeLook(0),
      consoleSignal(&ConsoleSignal::Instance()),
      framed(true),
      javaEntry(false) {
    graceful.reset(new GracefulStop({[this](const std::wstring& line) { LogText(line.c_str()); },
                                     [this] { return RunProcessIds(); }, [this] { EndAfterTimeout(); }}));
    // Once the run's processes have been ended, its last output need not wait for a stuck log disk.
    output.SetLogGiveUp([this] { return StopRequested(); });
    workingDirectory = L"";
}

Process::~Process() {
    Shutdown();
}

void Process::Shutdown() {
    shuttingDown = true;  // the object goes: its run is ended, not asked
    if (IsRunning()) {
        try {
            Terminate();
        } catch (Exception* e) {
            delete e;  // the tree could not be listed: the worker ends the child itself
            Stop();
        }
    }
    WaitForWorkerEnd();
}

void Process::OnStart() {
    endReason = -1;  // a request that came as the last run ended by itself is not this run's
    launchTick = 0;
    failedStarts = 0;
}

void Process::SetHostName(const String& name) {
    output.SetHostName(Text(name));
}

util::logging::ILogger* Process::SetLogger(util::logging::ILogger* newLogger) {
    if (!newLogger) {
        throw new Exception(L"Process::SetLogger()\nlogger can't be null.");
    }
    logger = newLogger;
    output.SetLogger(newLogger);
    return logger;
}

const String& Process::GetCommandLine() {
    return command.Build();
}

unsigned int* Process::Run() {
    restart.Reset();
    do {
        footerDue = true;
        startFailure.clear();
        failureLogged = false;
        try {
            Launch();
        } catch (Exception* e) {
            if (childStarted) {
                throw;  // not a launch that failed: the child ran, and its lines are still due
            }
            LaunchFailed(e);
        }
    } while (WaitForRestart());
    return new unsigned int(exitCode);
}

void Process::LaunchFailed(Exception* failure) {
    std::unique_ptr<Exception> owned(failure);
    const String& program = command.GetExecutable();
    const wchar_t* name = program.IsEmpty() ? className : program.GetBuffer();
    startFailure = ExitLine::FailureReason(name, failure->GetMessageText().GetBuffer());
    exitCode = 0;
    try {
        CloseHandles();  // what the launch made before it failed
    } catch (Exception* e) {
        delete e;
    }
    // The first failure in a row shows what was tried; its retries add one line each.
    if (failedStarts++ == 0 && framed) {
        WriteDebugInfo();
    } else {
        footerDue = false;
    }
    FinishLaunch();
}

void Process::Launch() {
    environment.Clear();
    BuildEnvironment();
    exitCode = ExecuteExternalProcess();
}

bool Process::RestartApplies() const {
    return startFailure.empty() ? restart.Applies(exitCode) : restart.AppliesAfterFailedStart();
}

bool Process::WaitForRestart() {
    restart.SetMode(GetRestartPolicy());
    bool failed = !startFailure.empty();
    // A Stop or Restart asked for (even one that came as the run ended by itself) never restarts.
    if ((!childStarted && !failed) || endReason.load() >= 0 || StopRequested() || !RestartApplies()) {
        return false;
    }
    uint64_t delay = restart.NextDelay(failed ? 0 : GetTickCount64() - runStart);
    if (!failed) {
        FinishLaunch();
    }
    if (failedStarts <= 1) {
        LogRestart(delay);
    }
    // The settings may change the policy during the wait: one that no longer restarts this run
    // ends it now, not at the time announced.
    restartDue = GetTickCount64() + delay;
    bool again = WaitRestartDelay(restartDue.load());
    restartDue = 0;
    launchTick = 0;  // until the next launch's child has started
    return again;
}

bool Process::WaitRestartDelay(ULONGLONG due) {
    for (ULONGLONG now = GetTickCount64(); now < due; now = GetTickCount64()) {
        if (WaitForSingleObject(GetStopEvent(), static_cast<DWORD>(due - now < 100 ? due - now : 100)) !=
            WAIT_TIMEOUT) {
            return false;
        }
        restart.SetMode(GetRestartPolicy());
        if (!RestartApplies()) {
            LogText(RestartLine::CalledOff(restart.GetMode()).c_str());
            return false;
        }
    }
    return !StopRequested();
}

void Process::LogRestart(uint64_t delayMs) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER at;
    at.LowPart = now.dwLowDateTime;
    at.HighPart = now.dwHighDateTime;
    at.QuadPart += delayMs * 10000;  // 100 ns units
    FILETIME when = {at.LowPart, at.HighPart};
    FILETIME local;
    SYSTEMTIME time = {};
    FileTimeToLocalFileTime(&when, &local);
    FileTimeToSystemTime(&local, &time);
    std::wstring after = startFailure.empty() ? L"exit code " + ExitLine::Code(exitCode) : L"a failed start";
    LogText(RestartLine::Announced(restart.GetMode(), after, delayMs, time.wHour, time.wMinute, time.wSecond).c_str());
}

void Process::BuildEnvironment() {
    environment.Build(environmentSettings, javaEntry, consoleHints);
}

void Process::SetLogFile(const std::wstring& path, const LogSettings& settings) {
    output.SetLogFile(path, settings);
}

void Process::WriteDebugInfo() {
    output.WriteDebugInfo(Text(GetCommandLine()), Text(workingDirectory), environment.Shown());
}

DWORD Process::ExecuteExternalProcess() {
    String problem = command.Find(startDirectory);
    if (!problem.IsEmpty()) {
        throw new Exception(L"Process::ExecuteExternalProcess()\n%s", problem.GetBuffer());
    }
    ResetChild();
    // A stop that came before the child exists leaves nothing to launch. The run's footer still
    // closes it, so the window shows that the Start was answered; no exit line, as nothing ran.
    if (!pipe.Create(GetStopEvent()) || StopRequested()) {
        return 0;
    }
    bool runs = CreateChild();
    try {
        // Only this worker reads the pipe: logged now, the block still comes before the child's
        // output. A launch that fails logs it with its failure instead.
        if (framed) {
            WriteDebugInfo();
        }
        failedStarts = 0;
        if (runs) {
            if (!jobInUse && framed) {
                LogText(L"The run could not be put in a job object: Stop ends its process tree instead.\r\n\r\n");
            }
            ReadOutput();
        }
    } catch (...) {
        // A failure while the child runs (its logger's) ends the run: the child must end with it,
        // even without a job, whose closing would have ended it.
        EndChildAfterStop();
        throw;
    }
    DWORD code = 0;
    GetExitCodeProcess(childProcess, &code);
    return code;
}

void Process::ResetChild() {
    CriticalSection::Lock hold(childLock);
    childProcess = nullptr;
    childThread = nullptr;
    processId = 0;
    childThreadId = 0;
    treeEnded = false;
    jobInUse = false;
    childStarted = false;
}

bool Process::SetUpJob(HANDLE child) {
    if (job.Create() && job.Assign(child)) {
        return true;
    }
    job.Close();
    return false;
}

bool Process::CreateChild() {
    const wchar_t* directory = workingDirectory.IsEmpty() ? L"" : workingDirectory.GetBuffer();
    PROCESS_INFORMATION information =
        ChildStart(pipe.ChildEnd())
            .Create(command.GetApplicationName(), GetCommandLine(), environment.Data(), directory);
    // The child has its copy; nothing else this program starts (an editor, the updater) gets one.
    pipe.KeepFromOtherChildren();
    bool jobbed = SetUpJob(information.hProcess);
    // A stop asked for while the system was making the child found nothing to end: the child is
    // ended before it runs anything. Under the lock, any later stop finds the child.
    CriticalSection::Lock hold(childLock);
    bool stopped = StopRequested() || endReason.load() >= 0;
    if (stopped) {
        TerminateProcess(information.hProcess, 1);
        WaitForSingleObject(information.hProcess, 5000);  // suspended, it has nothing to wind up
        int none = -1;
        endReason.compare_exchange_strong(none, static_cast<int>(ExitLine::Reason::Stopped));
    } else if (ResumeThread(information.hThread) == static_cast<DWORD>(-1)) {
        String error = GetSystemErrorText();
        TerminateProcess(information.hProcess, 1);
        CloseHandle(information.hThread);
        CloseHandle(information.hProcess);
        job.Close();
        throw new Exception(L"Process::ExecuteExternalProcess()\n%s", error.GetBuffer());
    }
    childProcess = information.hProcess;
    childThread = information.hThread;
    childThreadId = information.dwThreadId;
    processId = information.dwProcessId;
    jobInUse = jobbed;
    treeEnded = stopped;
    childStarted = true;
    runStart = GetTickCount64();
    launchTick = runStart;
    return !stopped;
}

void Process::ReadOutput() {
    reader.BeginRun(outputEncoding);
    HANDLE readEvent = CreateReadEvent();
    if (!readEvent) {
        String error = GetSystemErrorText();
        EndChildAfterStop();  // nothing would read the child: it must not run on unattended
        endReason = static_cast<int>(ExitLine::Reason::Stopped);
        GetExitCodeProcess(childProcess, &exitCode);
        throw new Exception(L"Process::ReadOutput()\n%s", error.GetBuffer());
    }
    OutputReader::Run run{pipe.ReadEnd(), childProcess, GetStopEvent(), StopPredicate(), [this] { return RunOver(); }};
    bool stopped = false;
    try {
        stopped = reader.Read(run, readEvent);
    } catch (...) {
        CloseHandle(readEvent);
        throw;
    }
    CloseHandle(readEvent);
    if (stopped) {
        EndChildAfterStop();
    }
}

void Process::WriteExitLine() {
    // A failed launch is told once, by its own line; a stop asked for during the wait that may
    // follow it makes the run's end a stop.
    bool failed = !startFailure.empty();
    bool due = childStarted || (failed && !failureLogged);
    ExitLine::Reason reason = ExitLine::Reason::ByItself;
    int requested = endReason.exchange(-1);
    if (failed && !failureLogged) {
        reason = ExitLine::Reason::FailedToStart;
    } else if (requested >= 0) {
        reason = static_cast<ExitLine::Reason>(requested);
    } else if (failed) {
        reason = ExitLine::Reason::FailedToStart;
    }
    {
        CriticalSection::Lock hold(childLock);
        lastFailure = startFailure;
    }
    lastReason = static_cast<int>(reason);
    if (due) {
        childStarted = false;
        failureLogged = failed;
    }
    // A stop program's end is told by the stop, in its own words.
    if (due && framed) {
        LogText(ExitLine::Format(exitCode, GetTickCount64() - runStart, reason, startFailure).c_str());
    }
    if (due && reason == ExitLine::Reason::ByItself && exitCode != 0) {
        TellRunFailed(exitCode);
    }
}

std::wstring Process::GetEndNote() {
    CriticalSection::Lock hold(childLock);
    return ExitLine::Note(exitCode, GetEndReason(), lastFailure);
}

void Process::FinishLaunch() {
    Exception* failure = nullptr;
    try {
        CloseHandles();
    } catch (Exception* e) {
        failure = e;  // the launch is over all the same: its lines are due
    }
    // The stop's last lines (the stop program's) come before the footer.
    graceful->Finish(StopRequested());
    if (footerDue) {
        footerDue = false;
        if (framed) {
            output.WriteDebugFooter();
        }
    }
    WriteExitLine();
    output.Flush();
    if (failure) {
        throw failure;
    }
}

void Process::OnRunFinished() {
    FinishLaunch();
}

HANDLE Process::CreateReadEvent() {
    return CreateEventW(nullptr, TRUE, TRUE, nullptr);
}
