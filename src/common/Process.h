#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "common/ChunkAssembler.h"
#include "common/CriticalSection.h"
#include "common/EnvironmentBlock.h"
#include "common/EnvironmentSettings.h"
#include "common/ExitLine.h"
#include "common/ILogger.h"
#include "common/JobObject.h"
#include "common/LogSettings.h"
#include "common/RestartPolicy.h"
#include "common/RunLog.h"
#include "common/Thread.h"
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

    // The program to run, quoted when it holds a blank and names a file; a batch file (".bat",
    // ".cmd" in any case) runs through "cmd.exe /S /C".
    void SetExecutable(const String& path);
    void SetWorkingDirectory(const String& directory) { workingDirectory = directory; }
    void SetArguments(const String& text) { arguments = text; }
    const String& GetExecutable() const { return program; }
    const String& GetWorkingDirectory() const { return workingDirectory; }
    const String& GetArguments() const { return arguments; }

    // Throws for a null logger. The logger is not owned.
    util::logging::ILogger* SetLogger(util::logging::ILogger* newLogger) override;

    // Launches the child and reads its output; while the restart policy asks for it, waits and
    // launches again, on the same worker (the thread stays running during the wait, and a Stop
    // cancels the wait).
    unsigned int* Run() override;
    void OnRunFinished() override;
    // After a killed worker: ends what is left of the run, releases what the worker held and logs
    // the footer and exit line in its place.
    void OnTerminated() override;
    // Ends every process of the run, then stops the worker.
    virtual void Terminate();
    // Terminate (when running) and Start again; the old run's exit line says why it ended.
    void Restart();
    // The full command line: program, then a blank and the arguments when there are any; for a
    // batch file: cmd.exe /S /C ""path" arguments".
    virtual const String& GetCommandLine();

    // The last run's direct child: its exit code, and whether it ended by itself (false after a
    // Stop or Restart, whatever code the kill left).
    DWORD GetExitCode() const { return exitCode; }
    bool EndedByItself() const { return endedByItself.load(); }
    // Applies from the next end of a run on, also to a run going on now or waiting to start again.
    void SetRestartPolicy(RestartPolicy::Mode mode) { restartMode = static_cast<int>(mode); }
    RestartPolicy::Mode GetRestartPolicy() const { return static_cast<RestartPolicy::Mode>(restartMode.load()); }
    DWORD GetChildProcessId() const { return processId.load(); }

    // ---- Server settings: environment and log file ----
    // The variables, removals and file (a full path) of the child's environment, from the next
    // launch on.
    void SetEnvironmentSettings(const EnvironmentSettings& settings) { environmentSettings = settings; }
    // The log file (a full path, "" for none) that every line of the runs goes to, from now on.
    void SetLogFile(const std::wstring& path, const LogSettings& settings);

protected:
    // Stops a running worker (ending the child's tree) and waits for one still finishing; the
    // most derived destructor calls it while the members the worker uses still exist.
    void Shutdown();

    // One launch of the child, from the environment to the end of its output; sets exitCode.
    virtual void Launch();
    // The environment this program passes on: its own without CLASSPATH, then the entry's file and
    // variables. False, with the reason in the window, when it cannot be built: nothing is launched.
    bool BuildEnvironment();
    DWORD ExecuteExternalProcess();
    void ReadOutput();
    void WriteToPipe();
    void CloseHandles();
    void WriteDebugInfo();
    void WriteDebugFooter();
    // The path in quotes when it is unquoted and, unless always, holds a blank and names a file.
    static String QuotedProgram(const String& path, bool always);
    // Throws the environment-full failure when an entry could not be added.
    static void RequireFit(bool fitted);
    // Puts the new child (still suspended) into a new job of its own; false leaves the run to
    // the tree walk. A seam: tests force the fallback by overriding it.
    virtual bool SetUpJob(HANDLE child);
    // Ends the tree of the run's direct child when the run has no job; throws when the processes
    // cannot be listed. A seam: tests make it fail.
    virtual void EndTree(DWORD childId);
    // The reader's manual-reset event (CreateEventW). A seam: tests make it fail.
    virtual HANDLE CreateReadEvent();
    // Cancels the reader's pending read (CancelIoEx). A seam: tests lose a cancel.
    virtual BOOL CancelRead(OVERLAPPED* read);

    EnvironmentBlock environment;
    String program;
    String workingDirectory;
    String arguments;
    String commandLine;
    HANDLE standardInput;  // copied into the child's input when set; nothing sets it today
    HANDLE m_hChild_STDIN_Read;
    HANDLE m_hChild_STDIN_Write;
    HANDLE m_hChild_STDOUT_Read;
    HANDLE m_hChild_STDOUT_Write;
    String pipeName;
    HANDLE childProcess;
    HANDLE childThread;
    std::atomic<DWORD> processId;
    DWORD childThreadId;
    DWORD exitCode;

private:
    void LogText(const wchar_t* text);
    void LogAnsi(const char* bytes, size_t count);
    void Deliver(char* buffer, DWORD count);
    // What the reader learns while it waits or between reads.
    enum class Wake { Data, Ended, Stopped };
    Wake WaitForRead();
    // Every process of the run has ended (the job is empty, or without a job the child has).
    bool RunOver();
    bool StopRequested() const;
    void ConfigureAssembler();
    void CreatePipe();
    void ConnectPipe();
    void CreateChild();
    void ResetChild();
    void CloseChild();
    void EndChildAfterStop();
    // Ends what is left of the run: the job, or else the child's tree (the child alone when the
    // tree cannot be listed). Called with childLock held, on the worker (which holds the child's
    // handle), or with the worker gone.
    bool EndRunProcesses(bool throwOnTreeFailure);
    void ReleaseReader();
    void WriteExitLine();
    // Closes the handles of a launch and logs its footer and exit line, once per launch.
    void FinishLaunch();
    // After a launch that ended by itself: waits and returns true when the policy restarts it.
    bool WaitForRestart();
    void LogRestart(uint64_t delayMs);
    void EndRequested(ExitLine::Reason reason);

    ChunkAssembler assembler;
    std::vector<wchar_t> wide;  // conversion buffer, kept between chunks
    // Kept between runs. A pending read writes into both until it completes, also after its
    // worker was killed: they are released only once it has, and never if it does not.
    std::vector<char> readBuffer;
    std::unique_ptr<OVERLAPPED> readRecord;
    HANDLE readEvent;
    JobObject job;
    bool jobInUse;       // this run's processes are in job (under childLock)
    bool childStarted;   // this run launched a child (its exit line is due)
    ULONGLONG runStart;  // tick count at the launch
    // Why the current run is ending when not by itself (ExitLine::Reason as int; -1 for none).
    std::atomic<int> endReason;
    std::atomic<bool> endedByItself;
    std::atomic<int> restartMode;  // RestartPolicy::Mode, set on the GUI thread
    RestartPolicy restart;         // the worker's back-off
    bool footerDue;                // a launch has begun whose footer is not yet logged
    bool childEnded;               // the reader saw the direct child end
    DWORD endPollMs;               // the next look for the end of the job after the child's
    // Terminate reads the child's id on the GUI thread while the worker may release the child;
    // the id is only used while the worker still holds the child's handle.
    CriticalSection childLock;
    bool treeEnded;  // Terminate ended the run's processes (under childLock)
    bool batchFile;  // program is a batch file, run by cmd.exe

protected:
    // ---- Server settings: environment and log file ----
    bool javaEntry;  // a Java entry: its class path comes from its own setting, never a variable

private:
    void Output(const wchar_t* text);
    EnvironmentSettings environmentSettings;
    std::vector<std::wstring> shownEnvironment;  // the debug block's lines, secrets masked
    RunLog runLog;
};
