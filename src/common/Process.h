#pragma once

#include <windows.h>

#include <atomic>
#include <vector>

#include "common/ChunkAssembler.h"
#include "common/CriticalSection.h"
#include "common/EnvironmentBlock.h"
#include "common/ILogger.h"
#include "common/Thread.h"
#include "util/String.h"

// One configured console program run as a child process on a worker thread, its standard output
// and error redirected into a named pipe and handed, chunk by chunk, to a logger. Each run is
// framed by a debug-info block (command line, working directory, environment) and a footer.
class Process : public Thread {
public:
    explicit Process(const wchar_t* name = L"Process");
    ~Process() override;

    // The program to run; a batch file (".bat", ".cmd" in any case) runs through "cmd.exe /C".
    void SetExecutable(const String& path);
    void SetWorkingDirectory(const String& directory) { workingDirectory = directory; }
    void SetArguments(const String& text) { arguments = text; }
    const String& GetExecutable() const { return program; }
    const String& GetWorkingDirectory() const { return workingDirectory; }
    const String& GetArguments() const { return arguments; }

    // Throws for a null logger. The logger is not owned.
    util::logging::ILogger* SetLogger(util::logging::ILogger* newLogger) override;

    unsigned int* Run() override;
    void OnRunFinished() override;
    // Ends the child's tree and releases the run's handles after a killed worker.
    void OnTerminated() override;
    // Ends the child's whole process tree, then stops the worker.
    virtual void Terminate();
    // The full command line: program, then a blank and the arguments when there are any.
    virtual const String& GetCommandLine();

    DWORD GetExitCode() const { return exitCode; }
    DWORD GetChildProcessId() const { return processId.load(); }

protected:
    // Stops a running worker (ending the child's tree) and waits for one still finishing; the
    // most derived destructor calls it while the members the worker uses still exist.
    void Shutdown();

    // The environment this program passes on: its own, without CLASSPATH (see EnvironmentBlock).
    void BuildEnvironment();
    DWORD ExecuteExternalProcess();
    void ReadOutput();
    void WriteToPipe();
    void CloseHandles();
    void WriteDebugInfo();
    void WriteDebugFooter();
    // Applies the batch-file rule of SetExecutable to a path.
    static String ProgramFor(const String& path);
    // Throws the environment-full failure when an entry could not be added.
    static void RequireFit(bool fitted);

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
    bool StopWhileChildRuns();
    void ConfigureAssembler();
    void ConnectPipe();
    void CreateChild();
    void CloseChild();
    void EndChildAfterStop();
    // Ends the running child's tree, or the child alone when the tree cannot be listed.
    void EndChildTree();

    ChunkAssembler assembler;
    std::vector<wchar_t> wide;  // conversion buffer, kept between chunks
    // Terminate reads the child's id on the GUI thread while the worker may release the child;
    // the id is only used while the worker still holds the child's handle.
    CriticalSection childLock;
    bool treeEnded;  // Terminate ended the child's tree in this run (under childLock)
};
