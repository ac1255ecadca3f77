#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "common/CriticalSection.h"
#include "common/EnvironmentSettings.h"
#include "common/ExitLine.h"
#include "common/GracefulStop.h"
#include "common/IConsoleSignal.h"
#include "common/ILogger.h"
#include "common/JobObject.h"
#include "common/LaunchEnvironment.h"
#include "common/LogSettings.h"
#include "common/OutputPipe.h"
#include "common/OutputReader.h"
#include "common/ProcessCommandLine.h"
#include "common/RestartPolicy.h"
#include "common/RunOutput.h"
#include "common/StopSettings.h"
#include "common/Thread.h"
#include "util/OutputEncoding.h"
#include "util/String.h"

// One configured console program run as a child process on a worker thread, its standard output
// and error redirected into a named pipe and handed, chunk by chunk, to a logger. Each run is
// framed by a debug-info block (command line, working directory, environment), a footer and the
// exit line.
//
// Every process of a run lives in the run's job object: the run lasts until the job holds nothing
// but console hosts (a batch file that starts a server and exits keeps its run going), Terminate
// ends the whole job, and the system ends the job when this program ends in any way. Where no job
// can be had, the run is the direct child and Terminate walks its process tree instead.
class Process : public Thread {
public:
    explicit Process(const wchar_t* name = L"Process");
    ~Process() override;

    // The program to run, as ProcessCommandLine takes it.
    void SetExecutable(const String& path) { command.SetExecutable(path); }
    void SetWorkingDirectory(const String& directory) { workingDirectory = directory; }
    // The folder this program was started in: relative program paths are taken against it (its
    // current directory moves with file dialogs), and a Java child starts there when no working
    // directory is configured. Empty: the current directory.
    void SetStartDirectory(const String& directory) { startDirectory = directory; }
    const String& GetStartDirectory() const { return startDirectory; }
    // The name the debug block gives this program.
    void SetHostName(const String& name);
    void SetArguments(const String& text) { command.SetArguments(text); }
    // How the child's output bytes become text; applies from the next launch on (a reload may set
    // it on the window thread while the worker reads).
    void SetOutputEncoding(util::OutputEncoding::Mode mode) { outputEncoding = mode; }
    util::OutputEncoding::Mode GetOutputEncoding() const { return outputEncoding; }
    // Whether the child's environment gets the console hints (ConsoleHints); from the next launch on.
    void SetConsoleHints(bool enabled) { consoleHints = enabled; }
    bool GetConsoleHints() const { return consoleHints; }
    // The command line's first part: the program (the file found once a launch found it), and
    // what followed its quotes.
    const String& GetExecutable() const { return command.GetExecutable(); }
    const String& GetWorkingDirectory() const { return workingDirectory; }
    const String& GetArguments() const { return command.GetArguments(); }

    // Throws for a null logger. The logger is not owned.
    util::logging::ILogger* SetLogger(util::logging::ILogger* newLogger) override;

    // Launches the child and reads its output; while the restart policy asks for it, waits and
    // launches again, on the same worker (the thread stays running during the wait, and a Stop
    // cancels the wait). A launch that fails is logged as such, and counts as a failed run.
    unsigned int* Run() override;
    void OnRunFinished() override;
    // Ends every process of the run and asks the worker to stop; returns at once. The run's end
    // arrives as usual, through the observer. With stop steps configured (see GracefulStop) the
    // run is asked first: the steps run at once and the run is ended only once their timeout has
    // passed; a Terminate during that wait ends it at once.
    virtual void Terminate();
    // Whether the current run was asked to end (also while the stop steps wait for it).
    bool StopAsked() const;
    // Terminate for a restart when running (the caller starts again once the run has ended, and
    // true is returned); otherwise Start at once (false).
    bool Restart();
    // The full command line: program (in quotes when it holds a blank), then a blank and the
    // arguments when there are any; for a batch file: cmd.exe /D /V:OFF /E:ON /S /C ""path"
    // arguments". The program is the file found at the launch, until then the value as written.
    virtual const String& GetCommandLine();
    // What the launch runs: the file found for the program (the system's cmd.exe for a batch
    // file); empty until a launch has found it.
    const String& GetApplicationName() const { return command.GetApplicationName(); }

    // The last run's direct child: its exit code, and whether it ended by itself (false after a
    // Stop, a Restart or a failed launch, whatever code the stop left).
    DWORD GetExitCode() const { return exitCode; }
    bool EndedByItself() const { return GetEndReason() == ExitLine::Reason::ByItself; }
    // How the last run ended, and its words for the status bar; set before its end is told.
    ExitLine::Reason GetEndReason() const { return static_cast<ExitLine::Reason>(lastReason.load()); }
    std::wstring GetEndNote();
    // Applies from the next end of a run on, also to a run going on now or waiting to start again.
    void SetRestartPolicy(RestartPolicy::Mode mode) { restartMode = static_cast<int>(mode); }
    RestartPolicy::Mode GetRestartPolicy() const { return static_cast<RestartPolicy::Mode>(restartMode.load()); }
    DWORD GetChildProcessId() const { return processId.load(); }
    // Tick count at which the current launch's child started; 0 from a Start until it has.
    ULONGLONG GetLaunchTick() const { return launchTick.load(); }
    // Tick count at which the restart policy's wait ends and the run starts again; 0 while no
    // wait goes on.
    ULONGLONG GetRestartDueTick() const { return restartDue.load(); }
    // The run this process writes for: itself, or for a stop program the run it stops (which
    // outlives it). Lets a worker tell whose output it is from its own object alone.
    const Process* RunServed() const { return served; }

    // ---- Server settings: environment and log file ----
    // The variables, removals and file (a full path) of the child's environment, from the next
    // launch on.
    void SetEnvironmentSettings(const EnvironmentSettings& settings) { environmentSettings = settings; }
    // The log file (a full path, "" for none) that every line of the runs goes to, from now on.
    void SetLogFile(const std::wstring& path, const LogSettings& settings);
    // How a run is asked to end, from the next stop on. The stop program is found and run by the
    // rules of the entry's own program, with the entry's environment and working directory.
    void SetStopSettings(const StopSettings& settings) { stopSettings = settings; }
    const StopSettings& GetStopSettings() const { return stopSettings; }
    // Where console signals go; not owned. A seam: tests act the signal out (Wine sends none).
    void SetConsoleSignal(IConsoleSignal* signal) { consoleSignal = signal; }

protected:
    // Stops a running worker (ending the child's tree) and waits for it to end; the most derived
    // destructor calls it while the members the worker uses still exist.
    void Shutdown();
    void OnStart() override;

    // One launch of the child, from the environment to the end of its output; sets exitCode.
    virtual void Launch();
    // The environment this program passes on: its own without CLASSPATH, then the entry's file and
    // variables, then the console hints unless they are off. Throws when it cannot be built (a
    // file that cannot be read, a value or block too long): the run fails to start.
    void BuildEnvironment();
    DWORD ExecuteExternalProcess();
    void ReadOutput();
    void CloseHandles();
    void WriteDebugInfo();
    // Puts the new child (still suspended) into a new job of its own; false leaves the run to
    // the tree walk. A seam: tests force the fallback by overriding it.
    virtual bool SetUpJob(HANDLE child);
    // Ends the tree of the run's direct child when the run has no job; throws when the processes
    // cannot be listed. A seam: tests make it fail.
    virtual void EndTree(DWORD childId);
    // The reader's manual-reset event (CreateEventW). A seam: tests make it fail.
    virtual HANDLE CreateReadEvent();
    // Processes of the run's job still running; -1 when the job cannot be asked. A seam: tests
    // make the query fail.
    virtual long ActiveJobProcesses() const;

    LaunchEnvironment environment;
    String workingDirectory;
    String startDirectory;
    OutputPipe pipe;
    HANDLE childProcess;
    HANDLE childThread;
    std::atomic<DWORD> processId;
    DWORD childThreadId;
    DWORD exitCode;

private:
    void LogText(const wchar_t* text) { output.Log(text); }
    // Every process of the run has ended (the job is empty, or without a job the child has, and
    // while the stop steps wait, what it started too).
    bool RunOver();
    // Without a job: whether the child's tree still runs; at most every 50 ms, true in between.
    bool TreeRuns();
    // Makes the child and lets it run; false when a stop came first and the child was ended
    // before it ran.
    bool CreateChild();
    void ResetChild();
    void CloseChild();
    void EndChildAfterStop();
    // Ends what is left of the run: the job, or else the child's tree (the child alone when the
    // tree cannot be listed). Called with childLock held, on the worker (which holds the child's
    // handle), or with the worker gone.
    bool EndRunProcesses(bool throwOnTreeFailure);
    // Terminate's part on the caller's thread: ends the job without waiting, or walks the tree.
    bool EndRunProcessesNow();
    // After a launch that threw before its child ran: logs the failure (with the debug block and
    // footer the first time in a row) and makes it this launch's end.
    void LaunchFailed(Exception* failure);
    void WriteExitLine();
    // Closes the handles of a launch and logs its footer and exit line, once per launch.
    void FinishLaunch();
    // After a launch that ended by itself: waits and returns true when the policy restarts it.
    bool WaitForRestart();
    // The wait itself, until the tick count due: false when a stop or a new policy calls it off.
    bool WaitRestartDelay(ULONGLONG due);
    void LogRestart(uint64_t delayMs);
    void EndRequested(ExitLine::Reason reason);
    // Whether the policy starts again after the launch that just ended.
    bool RestartApplies() const;
    // With childLock held: starts the stop steps when they apply; false to end the run at once.
    bool BeginGracefulStop();
    // The stop program of the settings, ready to start; null for none.
    std::unique_ptr<Process> MakeStopProgram() const;
    // The run's processes (the job's, else the direct child's tree), for the window search.
    std::vector<DWORD> RunProcessIds();
    // The stop steps' timeout has passed: the run ends now, its exit line says so.
    void EndAfterTimeout();

    ProcessCommandLine command;
    RunOutput output;
    OutputReader reader;
    std::atomic<util::OutputEncoding::Mode> outputEncoding;
    std::atomic<bool> consoleHints;
    JobObject job;
    bool jobInUse;       // this run's processes are in job (under childLock)
    bool childStarted;   // this run launched a child (its exit line is due)
    ULONGLONG runStart;  // tick count at the launch
    std::atomic<ULONGLONG> launchTick{0};  // runStart for other threads; 0 until a launch started
    std::atomic<ULONGLONG> restartDue{0};  // end of the restart policy's wait; 0 for none
    // Why the current run is ending when not by itself (ExitLine::Reason as int; -1 for none).
    std::atomic<int> endReason;
    std::atomic<int> lastReason;   // ExitLine::Reason of the last end told
    std::wstring startFailure;     // why the current launch failed to start; empty when it did not
    std::wstring lastFailure;      // startFailure of the last end told (under childLock)
    int failedStarts;              // launches in a row that failed to start (worker only)
    bool failureLogged;            // the current launch's failure line is out
    std::atomic<int> restartMode;  // RestartPolicy::Mode, set on the GUI thread
    RestartPolicy restart;         // the worker's back-off
    bool footerDue;                // a launch has begun whose footer is not yet logged
    // Terminate reads the child's id on the GUI thread while the worker may release the child;
    // the id is only used while the worker still holds the child's handle.
    CriticalSection childLock;
    bool treeEnded;                 // Terminate ended the run's processes (under childLock)
    ULONGLONG lastTreeLook;         // tick count of TreeRuns' last look (worker only)
    StopSettings stopSettings;      // set on the window's thread, read there by Terminate
    IConsoleSignal* consoleSignal;  // not owned
    std::unique_ptr<GracefulStop> graceful;
    bool framed;  // the debug block, footer and exit line are written (not for a stop program)
    bool shuttingDown = false;  // set by Shutdown on the thread that destroys the object
    const Process* served = this;  // the run this one writes for (see RunServed)

protected:
    // ---- Server settings: environment and log file ----
    bool javaEntry;  // a Java entry: its class path comes from its own setting, never a variable
    // Adds a variable after the environment was built, shown in the debug block as it is.
    void AddVariable(const wchar_t* name, const wchar_t* value) { environment.Add(name, value); }
    // Sorts the block by name, as the system expects of a child's, and the debug block's lines too.
    void SortEnvironment() { environment.Sort(); }

private:
    EnvironmentSettings environmentSettings;
};
