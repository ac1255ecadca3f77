#include "common/Process.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "app/Application.h"
#include "common/ChildEnvironment.h"
#include "common/TerminateProcessTree.h"
#include "util/Exception.h"
#include "util/SystemError.h"
#include "util/TextScan.h"

namespace {

const DWORD PipeBufferSize = 131140;
const DWORD ReadSize = 32785;
const wchar_t LineEnd[] = L"\r\n";

// Security attributes that let the child inherit a handle (the pipe's ends, its process).
struct InheritableAttributes {
    SECURITY_DESCRIPTOR descriptor;
    SECURITY_ATTRIBUTES attributes;

    InheritableAttributes() : attributes() {
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        attributes.nLength = sizeof(attributes);
        attributes.lpSecurityDescriptor = &descriptor;
        attributes.bInheritHandle = TRUE;
    }
};

// The list of handles a child may inherit, for CreateProcessW's extended start-up information.
class InheritList {
public:
    explicit InheritList(std::vector<HANDLE>& handles) : handles(handles) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
        if (InitializeProcThreadAttributeList(list, 1, 0, &size)) {
            initialised = true;
            if (UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles.data(),
                                          handles.size() * sizeof(HANDLE), nullptr, nullptr)) {
                ready = list;
            }
        }
    }
    ~InheritList() {
        if (initialised) {
            DeleteProcThreadAttributeList(reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data()));
        }
    }
    InheritList(const InheritList&) = delete;
    InheritList& operator=(const InheritList&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return ready; }

private:
    std::vector<HANDLE>& handles;  // must outlive the list, which refers to it
    std::vector<char> storage;
    bool initialised = false;
    LPPROC_THREAD_ATTRIBUTE_LIST ready = nullptr;
};

const wchar_t* ApplicationName() {
    Application* application = Application::GetCurrent();
    return application ? application->GetDisplayName() : L"Tarnwick";
}

// Closes a handle that is held and clears it; a failed close raises the given message.
void CloseHeld(HANDLE& handle, const wchar_t* message) {
    if (handle && handle != INVALID_HANDLE_VALUE) {
        HANDLE held = handle;
        handle = nullptr;
        if (!CloseHandle(held)) {
            throw new Exception(message, GetSystemErrorText());
        }
    }
    handle = nullptr;
}

}  // namespace

Process::Process(const wchar_t* name)
    : Thread(name),
      standardInput(nullptr),
      m_hChild_STDIN_Read(nullptr),
      m_hChild_STDIN_Write(nullptr),
      m_hChild_STDOUT_Read(nullptr),
      m_hChild_STDOUT_Write(nullptr),
      childProcess(nullptr),
      childThread(nullptr),
      processId(0),
      childThreadId(0),
      exitCode(0),
      readEvent(nullptr),
      jobInUse(false),
      childStarted(false),
      runStart(0),
      endReason(-1),
      endedByItself(true),
      restartMode(static_cast<int>(RestartPolicy::Mode::Never)),
      footerDue(false),
      childEnded(false),
      endPollMs(1),
      treeEnded(false),
      batchFile(false),
      javaEntry(false) {
    program = L"";
    workingDirectory = L"";
    arguments = L"";
    commandLine = L"";
    pipeName = L"";
}

Process::~Process() {
    Shutdown();
}

void Process::Shutdown() {
    if (IsRunning()) {
        try {
            Terminate();
        } catch (Exception* e) {
            e->Show();  // the tree could not be ended; the worker is still stopped below
            delete e;
            Stop();
        }
    }
    WaitForWorkerEnd();
}

String Process::QuotedProgram(const String& path, bool always) {
    if (path.IsEmpty() || path.FindLast(L"\"") >= 0) {
        return path;  // quoted as configured
    }
    if (!always) {
        // A value with arguments names no file: it stays as written, blanks and all.
        DWORD attributes = GetFileAttributesW(path.GetBuffer());
        if (path.FindLast(L" ") < 0 || attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return path;
        }
    }
    String quoted;
    quoted.Format(L"\"%s\"", path.GetBuffer());
    return quoted;
}

void Process::SetExecutable(const String& path) {
    batchFile = path.EndsWithNoCase(L".cmd") || path.EndsWithNoCase(L".bat");
    program = QuotedProgram(path, batchFile);
}

util::logging::ILogger* Process::SetLogger(util::logging::ILogger* newLogger) {
    if (!newLogger) {
        throw new Exception(L"Process::SetLogger()\nlogger can't be null.");
    }
    logger = newLogger;
    return logger;
}

const String& Process::GetCommandLine() {
    if (batchFile) {
        // With /S cmd.exe takes off the outer quotes only, so a quoted path with blanks and
        // parentheses, and quoted arguments after it, reach the batch file intact.
        commandLine.Format(L"cmd.exe /S /C \"%s%s%s\"", program.GetBuffer(), arguments.IsEmpty() ? L"" : L" ",
                           arguments.IsEmpty() ? L"" : arguments.GetBuffer());
    } else if (!arguments.IsEmpty()) {
        commandLine.Format(L"%s %s", program.GetBuffer(), arguments.GetBuffer());
    } else {
        commandLine = program;
    }
    return commandLine;
}

unsigned int* Process::Run() {
    restart.Reset();
    do {
        footerDue = true;
        Launch();
    } while (WaitForRestart());
    return new unsigned int(exitCode);
}

void Process::Launch() {
    environment.Clear();
    if (!BuildEnvironment()) {
        return;
    }
    exitCode = ExecuteExternalProcess();
}

bool Process::WaitForRestart() {
    restart.SetMode(GetRestartPolicy());
    // A Stop or Restart asked for (even one that came as the run ended by itself) never restarts.
    if (!childStarted || endReason.load() >= 0 || StopRequested() || !restart.Applies(exitCode)) {
        return false;
    }
    uint64_t delay = restart.NextDelay(GetTickCount64() - runStart);
    FinishLaunch();
    LogRestart(delay);
    // The settings may change the policy during the wait: one that no longer restarts this run
    // ends it now, not at the time announced.
    for (ULONGLONG due = GetTickCount64() + delay, now = GetTickCount64(); now < due; now = GetTickCount64()) {
        if (WaitForSingleObject(GetStopEvent(), static_cast<DWORD>(due - now < 100 ? due - now : 100)) !=
            WAIT_TIMEOUT) {
            return false;
        }
        restart.SetMode(GetRestartPolicy());
        if (!restart.Applies(exitCode)) {
            String text;
            text.Format(L"Restart policy \"%s\" now: not starting again.\r\n", RestartPolicy::Name(restart.GetMode()));
            LogText(text.GetBuffer());
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
    String text;
    text.Format(L"Restart policy \"%s\" after exit code %s: starting again in %d s, at %02d:%02d:%02d.\r\n",
                RestartPolicy::Name(restart.GetMode()), ExitLine::Code(exitCode).c_str(),
                static_cast<int>(delayMs / 1000), time.wHour, time.wMinute, time.wSecond);
    LogText(text.GetBuffer());
}

void Process::RequireFit(bool fitted) {
    if (!fitted) {
        throw new Exception(
            L"Process::BuildEnvironment()\nThe environment does not fit in the child's block of %d bytes.",
            static_cast<int>(EnvironmentBlock::CapacityUnits * sizeof(wchar_t)));
    }
}

bool Process::BuildEnvironment() {
    std::wstring problem;
    if (ChildEnvironment::Build(environmentSettings, javaEntry, environment, shownEnvironment, problem)) {
        return true;
    }
    footerDue = false;  // nothing was launched: no debug block to close
    Output((problem + L"\r\nThe process is not started.\r\n").c_str());
    runLog.Flush();
    return false;
}

void Process::SetLogFile(const std::wstring& path, const LogSettings& settings) {
    runLog.Configure(path, settings.maxBytes, settings.backups, [this](const std::wstring& line) {
        if (logger) {
            logger->Log((line + L"\r\n").c_str());
        }
    });
}

void Process::Output(const wchar_t* text) {
    logger->Log(text);
    runLog.Append(text);
}

void Process::LogText(const wchar_t* text) {
    if (logger) {
        Output(text);
    }
}

void Process::WriteDebugInfo() {
    if (!logger) {
        return;
    }
    const wchar_t* name = ApplicationName();
    String text;
    text.Format(L"---- %s Debug Info ----%s%s", name, LineEnd, LineEnd);
    LogText(text.GetBuffer());
    text.Format(L"Launcher name         : %s%s%s", name, LineEnd, LineEnd);
    LogText(text.GetBuffer());
    text.Format(L"Command line          : %s%s%s", GetCommandLine().GetBuffer(), LineEnd, LineEnd);
    LogText(text.GetBuffer());
    text.Format(L"Working directory     : %s%s%s", workingDirectory.GetBuffer(), LineEnd, LineEnd);
    LogText(text.GetBuffer());
    text.Format(L"Environment variables : %s%s", LineEnd, LineEnd);
    for (const std::wstring& entry : shownEnvironment) {
        text.Append(entry.c_str());
        text.Append(LineEnd);
    }
    // The environment goes to the window only, never into a log file.
    logger->Log(text.GetBuffer());
    runLog.Append(L"Environment variables : (not logged)\r\n");
    text.Format(L"%s------------------------------------------%s", LineEnd, LineEnd);
    LogText(text.GetBuffer());
}

void Process::WriteDebugFooter() {
    if (logger) {
        String text;
        text.Format(L"%s---- %s Debug Info ----%s", LineEnd, ApplicationName(), LineEnd);
        LogText(text.GetBuffer());
    }
}

DWORD Process::ExecuteExternalProcess() {
    WriteDebugInfo();
    ResetChild();
    CreatePipe();
    ConnectPipe();
    // A stop that came before the child exists leaves nothing to launch.
    if (WaitForSingleObject(GetStopEvent(), 0) == WAIT_OBJECT_0) {
        return 0;
    }
    BeginUninterruptible();
    try {
        CreateChild();
    } catch (Exception*) {
        EndUninterruptible();
        throw;
    }
    EndUninterruptible();
    if (!jobInUse) {
        LogText(L"The run could not be put in a job object: Stop ends its process tree instead.\r\n\r\n");
    }
    if (standardInput) {
        WriteToPipe();
    }
    ReadOutput();
    DWORD code = 0;
    GetExitCodeProcess(childProcess, &code);
    return code;
}

void Process::ResetChild() {
    BeginUninterruptible();  // a worker killed holding the lock would leave it taken for good
    {
        CriticalSection::Lock hold(childLock);
        childProcess = nullptr;
        childThread = nullptr;
        processId = 0;
        childThreadId = 0;
        treeEnded = false;
        jobInUse = false;
        childStarted = false;
        childEnded = false;
        endPollMs = 1;
    }
    EndUninterruptible();
}

void Process::CreatePipe() {
    // Process id and a counter: unique in the system, and never the name of a pipe instance that
    // a descendant of an earlier run may still hold (thread ids are recycled).
    static std::atomic<unsigned long> counter(0);
    pipeName.Format(L"\\\\.\\pipe\\Tarnwick.%lu.%lu", static_cast<unsigned long>(GetCurrentProcessId()), ++counter);
    InheritableAttributes inheritable;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) {
            Sleep(500);
        }
        m_hChild_STDOUT_Write = CreateNamedPipeW(
            pipeName.GetBuffer(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE, 0, 255,
            PipeBufferSize, PipeBufferSize, 0, &inheritable.attributes);
        if (m_hChild_STDOUT_Write != INVALID_HANDLE_VALUE) {
            break;
        }
    }
    if (m_hChild_STDOUT_Write == INVALID_HANDLE_VALUE) {
        throw new Exception(L"Process::ExecuteExternalProcess()\nCreateNamedPipe()\n%s", GetSystemErrorText());
    }
    DWORD mode = 0;
    if (!SetNamedPipeHandleState(m_hChild_STDOUT_Write, &mode, nullptr, nullptr)) {
        throw new Exception(L"Process::ExecuteExternalProcess()\n%s", GetSystemErrorText());
    }
}

void Process::ConnectPipe() {
    // Our end is open before the child starts, so nothing it writes early is lost.
    m_hChild_STDOUT_Read =
        CreateFileW(pipeName.GetBuffer(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (m_hChild_STDOUT_Read == INVALID_HANDLE_VALUE) {
        m_hChild_STDOUT_Read = nullptr;
        throw new Exception(L"Process::ExecuteExternalProcess()\nThe pipe %s could not be opened for reading.\n%s",
                            pipeName.GetBuffer(), GetSystemErrorText());
    }
}

bool Process::SetUpJob(HANDLE child) {
    if (job.Create() && job.Assign(child)) {
        return true;
    }
    job.Close();
    return false;
}

void Process::CreateChild() {
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = m_hChild_STDIN_Read;
    startup.StartupInfo.hStdOutput = m_hChild_STDOUT_Write;
    startup.StartupInfo.hStdError = m_hChild_STDOUT_Write;
    // Launches on other workers overlap with this one: the child inherits this run's own pipe
    // ends only, never another run's.
    std::vector<HANDLE> inherited{m_hChild_STDOUT_Write};
    if (m_hChild_STDIN_Read) {
        inherited.push_back(m_hChild_STDIN_Read);
    }
    InheritList list(inherited);
    startup.lpAttributeList = list.Get();
    if (!list.Get()) {
        throw new Exception(L"Process::ExecuteExternalProcess()\n%s", GetSystemErrorText());
    }

    const String& line = GetCommandLine();
    const wchar_t* text = line.GetBuffer() ? line.GetBuffer() : L"";
    std::vector<wchar_t> writable(text, text + line.GetLength() + 1);  // CreateProcessW may write to it
    PROCESS_INFORMATION information = {};
    const wchar_t* directory = workingDirectory.IsEmpty() ? nullptr : workingDirectory.GetBuffer();
    // Suspended until it is in its job: nothing it starts may escape the job.
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED |
                            EXTENDED_STARTUPINFO_PRESENT,
                        const_cast<wchar_t*>(environment.Data()), directory, &startup.StartupInfo, &information)) {
        throw new Exception(L"Process::ExecuteExternalProcess()\n%s", GetSystemErrorText());
    }
    // The child has its copy; nothing else this program starts (an editor, the updater) gets one.
    SetHandleInformation(m_hChild_STDOUT_Write, HANDLE_FLAG_INHERIT, 0);
    bool jobbed = SetUpJob(information.hProcess);
    if (ResumeThread(information.hThread) == static_cast<DWORD>(-1)) {
        String error = GetSystemErrorText();
        TerminateProcess(information.hProcess, 1);
        CloseHandle(information.hThread);
        CloseHandle(information.hProcess);
        job.Close();
        throw new Exception(L"Process::ExecuteExternalProcess()\n%s", error.GetBuffer());
    }
    CriticalSection::Lock hold(childLock);
    childProcess = information.hProcess;
    childThread = information.hThread;
    childThreadId = information.dwThreadId;
    processId = information.dwProcessId;
    jobInUse = jobbed;
    childStarted = true;
    runStart = GetTickCount64();
}

void Process::LogAnsi(const char* bytes, size_t count) {
    if (!logger || count == 0) {
        return;
    }
    // At most one UTF-16 unit per byte in any ANSI code page, plus the terminating zero.
    if (wide.size() < count + 1) {
        wide.resize(count + 1);
    }
    // Plain ASCII, most output, is the same in every ANSI code page: widen it in one pass, and
    // let the system convert only chunks that hold other bytes.
    if (TextScan::WidenAscii(bytes, count, wide.data())) {
        wide[count] = L'\0';
        Output(wide.data());
        return;
    }
    int units =
        MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(count), wide.data(), static_cast<int>(wide.size() - 1));
    wide[units > 0 ? static_cast<size_t>(units) : 0] = L'\0';
    if (units > 0) {
        Output(wide.data());
    }
}

void Process::ConfigureAssembler() {
    assembler = ChunkAssembler();
    UINT codePage = GetACP();
    CPINFO info = {};
    if (codePage == CP_UTF8) {
        assembler.SetUtf8();
    } else if (GetCPInfo(codePage, &info) && info.MaxCharSize == 2) {
        bool lead[256] = {};
        for (int range = 0; range + 1 < MAX_LEADBYTES && info.LeadByte[range] != 0; range += 2) {
            for (int b = info.LeadByte[range]; b <= info.LeadByte[range + 1]; ++b) {
                lead[b] = true;
            }
        }
        assembler.SetLeadBytes(lead);
    }
}

void Process::ReadOutput() {
    ConfigureAssembler();
    readEvent = CreateReadEvent();
    if (!readEvent) {
        String error = GetSystemErrorText();
        EndChildAfterStop();  // nothing would read the child: it must not run on unattended
        endReason = static_cast<int>(ExitLine::Reason::Stopped);
        GetExitCodeProcess(childProcess, &exitCode);
        throw new Exception(L"Process::ReadOutput()\n%s", error.GetBuffer());
    }
    if (!readRecord) {
        readRecord.reset(new OVERLAPPED());
    }
    OVERLAPPED& overlapped = *readRecord;
    overlapped = {};
    overlapped.hEvent = readEvent;
    readBuffer.resize(ChunkAssembler::MaxCarry + ReadSize + 1);
    char* target = readBuffer.data() + ChunkAssembler::MaxCarry;
    bool pending = false;
    bool stopped = false;
    // Once the run is over only what it left in the pipe is read: more than the pipe holds means
    // something outside the run (a process the tree walk does not know) is writing.
    unsigned long long drained = 0;
    bool over = false;
    ULONGLONG lastLook = GetTickCount64();
    for (;;) {
        DWORD count = 0;
        pending = false;
        // Reads that complete at once never reach the wait below, so a flooding process would keep
        // the loop from ever seeing the stop or the run's end. Looking costs system calls: every
        // 10 ms will do.
        ULONGLONG now = GetTickCount64();
        if (now - lastLook >= 10) {
            lastLook = now;
            over = over || RunOver();
            if (!over && StopRequested()) {
                stopped = true;
                break;
            }
            if (over && drained > PipeBufferSize) {
                break;
            }
        }
        if (!ReadFile(m_hChild_STDOUT_Read, target, ReadSize, &count, &overlapped)) {
            if (GetLastError() != ERROR_IO_PENDING) {
                break;
            }
            pending = true;
            Wake wake = WaitForRead();
            if (wake != Wake::Data) {
                stopped = wake == Wake::Stopped;
                break;
            }
            pending = false;
            if (!GetOverlappedResult(m_hChild_STDOUT_Read, &overlapped, &count, FALSE)) {
                count = 0;
            }
        }
        drained += over ? count : 0;
        Deliver(readBuffer.data(), count);
    }
    if (pending) {
        // The read still refers to our buffer and record: cancel it and let it complete first.
        // Bytes it took before the cancel are output too.
        CancelRead(&overlapped);
        DWORD count = 0;
        if (!GetOverlappedResult(m_hChild_STDOUT_Read, &overlapped, &count, TRUE)) {
            count = 0;
        }
        Deliver(readBuffer.data(), count);
    }
    char rest[ChunkAssembler::MaxCarry];
    LogAnsi(rest, assembler.Flush(rest));  // the output ended inside a character: show what came
    // Forgotten before it is closed: a worker killed in between leaves a handle behind, never one
    // that OnTerminated would close again (its value may be another's by then).
    HANDLE event = readEvent;
    readEvent = nullptr;
    CloseHandle(event);
    if (stopped) {
        EndChildAfterStop();
    }
}

Process::Wake Process::WaitForRead() {
    for (;;) {
        // The child's handle tells its end at once; after it, the end of the rest of its job is
        // looked for after 1 ms, then 2, 4 ... up to 50 ms (what a program leaves, such as its
        // console host, is mostly gone at once). No other call per wait: this runs for every
        // read that waits.
        DWORD timeout = INFINITE;
        if (childEnded) {
            timeout = RunOver() ? 0 : endPollMs;
            endPollMs = endPollMs * 2 < 50 ? endPollMs * 2 : 50;
        }
        HANDLE waits[3] = {readEvent, GetStopEvent(), childProcess};
        DWORD result = WaitForMultipleObjectsEx(childEnded ? 2 : 3, waits, FALSE, timeout, TRUE);
        if (result == WAIT_OBJECT_0) {
            return Wake::Data;  // the lowest index wins: output already there is read first
        }
        if (result == WAIT_OBJECT_0 + 1) {
            return RunOver() ? Wake::Ended : Wake::Stopped;
        }
        if (result == WAIT_OBJECT_0 + 2 || result == WAIT_TIMEOUT) {
            childEnded = true;
            if (RunOver()) {
                return Wake::Ended;
            }
        } else if (result != WAIT_IO_COMPLETION) {
            return Wake::Ended;  // the wait failed: nothing more can be read
        }
    }
}

bool Process::RunOver() {
    if (WaitForSingleObject(childProcess, 0) == WAIT_TIMEOUT) {
        return false;
    }
    return !jobInUse || job.ActiveProcesses() <= 0 || job.OnlyConsoleHostsLeft();
}

bool Process::StopRequested() const {
    return WaitForSingleObject(GetStopEvent(), 0) == WAIT_OBJECT_0;
}

void Process::Deliver(char* buffer, DWORD count) {
    if (count == 0 || !logger) {
        return;
    }
    char* start = nullptr;
    size_t complete = assembler.Take(buffer, count, &start);
    LogAnsi(start, complete);
}

void Process::EndChildAfterStop() {
    // A Terminate that came before the child's id was known could not end the run; the stop
    // event still reached us, so nothing of it may run on unattended. The child's id cannot go
    // to another process meanwhile: we hold its handle.
    BeginUninterruptible();
    bool due = false;
    {
        CriticalSection::Lock hold(childLock);
        due = !treeEnded && childProcess;
    }
    // Not under the lock: a walk of a large tree may outlast the bracket and the worker be killed
    // in it, which must leave the lock free for the Stop that killed it. The child's handle stays
    // open meanwhile: only this worker closes it.
    if (due) {
        bool ended = EndRunProcesses(false);
        CriticalSection::Lock hold(childLock);
        treeEnded = treeEnded || ended;
    }
    EndUninterruptible();
}

bool Process::EndRunProcesses(bool throwOnTreeFailure) {
    if (jobInUse && job.Terminate(1, 1000)) {
        return true;
    }
    if (!childProcess || WaitForSingleObject(childProcess, 0) != WAIT_TIMEOUT) {
        return jobInUse ? job.ActiveProcesses() <= 0 : true;
    }
    try {
        EndTree(processId.load());
    } catch (Exception* e) {
        if (throwOnTreeFailure) {
            throw;
        }
        delete e;
        return TerminateProcess(childProcess, 1) != FALSE;  // the process list could not be read: the child at least
    }
    return true;
}

void Process::EndTree(DWORD childId) {
    TerminateProcessTree(childId);
}

void Process::WriteToPipe() {
    std::vector<char> buffer(ReadSize);
    for (;;) {
        DWORD read = 0;
        DWORD written = 0;
        if (!ReadFile(standardInput, buffer.data(), ReadSize, &read, nullptr) || read == 0 ||
            !WriteFile(m_hChild_STDIN_Write, buffer.data(), read, &written, nullptr)) {
            break;
        }
    }
    CloseHeld(m_hChild_STDIN_Write, L"Process::WriteToPipe()\n%s");
}

void Process::CloseChild() {
    // The process id goes with the handle: once closed, the system may give the id to another
    // process, which Terminate must never aim at.
    BeginUninterruptible();  // a worker killed holding the lock would leave it taken for good
    {
        CriticalSection::Lock hold(childLock);
        processId = 0;
        childThreadId = 0;
        if (childThread) {
            CloseHandle(childThread);
            childThread = nullptr;
        }
        if (childProcess) {
            CloseHandle(childProcess);
            childProcess = nullptr;
        }
        job.Close();  // empty by now; otherwise closing it ends what is left
        jobInUse = false;
    }
    EndUninterruptible();
}

void Process::CloseHandles() {
    CloseChild();
    CloseHeld(m_hChild_STDOUT_Read, L"Process::CloseHandles()\nm_hChild_STDOUT_Read\n%s");
    CloseHeld(m_hChild_STDIN_Read, L"Process::CloseHandles()\nm_hChild_STDIN_Read\n%s");
    CloseHeld(m_hChild_STDIN_Write, L"Process::CloseHandles()\nm_hChild_STDIN_Write\n%s");
    CloseHeld(m_hChild_STDOUT_Write, L"Process::CloseHandles()\nm_hChild_STDOUT_Write\n%s");
}

void Process::WriteExitLine() {
    ExitLine::Reason reason = ExitLine::Reason::ByItself;
    int requested = endReason.exchange(-1);
    if (requested >= 0) {
        reason = static_cast<ExitLine::Reason>(requested);
    }
    endedByItself = reason == ExitLine::Reason::ByItself;
    if (childStarted) {
        childStarted = false;
        LogText(ExitLine::Format(exitCode, GetTickCount64() - runStart, reason).c_str());
    }
}

void Process::FinishLaunch() {
    Exception* failure = nullptr;
    try {
        CloseHandles();
    } catch (Exception* e) {
        failure = e;  // the launch is over all the same: its lines are due
    }
    if (footerDue) {
        footerDue = false;
        WriteDebugFooter();
    }
    WriteExitLine();
    runLog.Flush();
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

BOOL Process::CancelRead(OVERLAPPED* read) {
    return CancelIoEx(m_hChild_STDOUT_Read, read);
}

void Process::ReleaseReader() {
    // What the killed worker's read loop held. A read it left pending still writes into the
    // buffer and the record when it completes: cancel it and wait for that first.
    if (!readEvent) {
        return;
    }
    if (readRecord && !HasOverlappedIoCompleted(readRecord.get())) {
        CancelRead(readRecord.get());
        WaitForSingleObject(readEvent, 2000);
        if (!HasOverlappedIoCompleted(readRecord.get())) {
            // Left to the system for good: a leak is better than a write into freed memory.
            static_cast<void>(readRecord.release());
            static_cast<void>(new std::vector<char>(std::move(readBuffer)));
        }
    }
    CloseHandle(readEvent);
    readEvent = nullptr;
    std::vector<char>().swap(readBuffer);
}

void Process::OnTerminated() {
    // The worker was killed: nothing will close what it held, and what it started runs on with
    // nobody reading it. The worker is gone, so nothing races with this. Its exit line is ours.
    if (childProcess && !treeEnded) {
        EndRunProcesses(false);
    }
    if (childProcess) {
        GetExitCodeProcess(childProcess, &exitCode);
    }
    if (endReason.load() < 0) {
        endReason = static_cast<int>(ExitLine::Reason::Stopped);
    }
    ReleaseReader();
    try {
        FinishLaunch();
    } catch (Exception* e) {
        delete e;  // a handle the killed worker had already closed
    }
}

void Process::EndRequested(ExitLine::Reason reason) {
    Exception* failure = nullptr;
    {
        CriticalSection::Lock hold(childLock);
        if (IsRunning()) {
            endReason = static_cast<int>(reason);
            if (processId.load() != 0 && !treeEnded) {
                // Set only once it worked: a failed walk leaves the worker's own attempt after the stop.
                try {
                    treeEnded = EndRunProcesses(true);
                } catch (Exception* e) {
                    failure = e;  // told once the worker has stopped: the run must end all the same
                }
            }
        }
    }
    Stop();
    endReason = -1;  // the run is over and has told its end, or ended before it heard why
    if (failure) {
        throw failure;
    }
}

void Process::Terminate() {
    EndRequested(ExitLine::Reason::Stopped);
}

void Process::Restart() {
    if (IsRunning()) {
        EndRequested(ExitLine::Reason::Restarted);
    }
    Start();
}
