#include "common/Process.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "common/BatchCommandLine.h"
#include "common/ChildEnvironment.h"
#include "common/ConsoleHints.h"
#include "common/ConsoleSignal.h"
#include "common/TerminateProcessTree.h"
#include "util/Exception.h"
#include "util/SystemError.h"
#include "util/TextCodec.h"
#include "util/TextScan.h"

namespace {

const DWORD PipeBufferSize = OutputPipe::BufferSize;
const DWORD ReadSize = 32785;
const wchar_t LineEnd[] = L"\r\n";

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

std::wstring Text(const String& s) {
    return s.IsNull() ? std::wstring() : std::wstring(s.GetBuffer());
}

// In quotes when it holds a blank, so that the child's own parsing of its command line gets it whole.
std::wstring CommandToken(const std::wstring& path) {
    return path.find_first_of(L" \t") == std::wstring::npos ? path : L"\"" + path + L"\"";
}

// The current directory, for a process told no start folder.
std::wstring CurrentFolder() {
    std::vector<wchar_t> directory(MAX_PATH + 1);
    DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data());
    if (length >= directory.size()) {
        directory.resize(length + 1);
        length = GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data());
    }
    return length > 0 && length < directory.size() ? std::wstring(directory.data()) : std::wstring();
}

}  // namespace

Process::Process(const wchar_t* name)
    : Thread(name),
      childProcess(nullptr),
      childThread(nullptr),
      processId(0),
      childThreadId(0),
      exitCode(0),
      outputEncoding(util::OutputEncoding::Mode::Auto),
      runEncoding(util::OutputEncoding::Mode::Auto),
      consoleHints(true),
      ansiLead(),
      ansiDoubleByte(false),
      readEvent(nullptr),
      jobInUse(false),
      childStarted(false),
      runStart(0),
      endReason(-1),
      lastReason(static_cast<int>(ExitLine::Reason::ByItself)),
      failedStarts(0),
      failureLogged(false),
      restartMode(static_cast<int>(RestartPolicy::Mode::Never)),
      footerDue(false),
      childEnded(false),
      endPollMs(1),
      treeEnded(false),
      batchFile(false),
      consoleSignal(&ConsoleSignal::Instance()),
      framed(true),
      javaEntry(false) {
    graceful.reset(new GracefulStop({[this](const std::wstring& line) { LogText(line.c_str()); },
                                     [this] { return RunProcessIds(); }, [this] { EndAfterTimeout(); }}));
    program = L"";
    workingDirectory = L"";
    arguments = L"";
    commandLine = L"";
    applicationName = L"";
}

Process::~Process() {
    Shutdown();
}

void Process::Shutdown() {
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

void Process::SetExecutable(const String& path) {
    executable = ProgramSearch::Split(Text(path));
    batchFile = ProgramSearch::IsBatchFile(executable.program);
    applicationName = L"";
    foundBatchFile.clear();
    SetProgram(executable.program);
}

void Process::OnStart() {
    endReason = -1;  // a request that came as the last run ended by itself is not this run's
    failedStarts = 0;
}

void Process::SetProgram(const std::wstring& path) {
    std::wstring first = CommandToken(path);
    if (!executable.rest.empty()) {
        first += L" " + executable.rest;
    }
    program = first.c_str();
}

util::logging::ILogger* Process::SetLogger(util::logging::ILogger* newLogger) {
    if (!newLogger) {
        throw new Exception(L"Process::SetLogger()\nlogger can't be null.");
    }
    logger = newLogger;
    return logger;
}

BatchCommandLine Process::BatchLine() const {
    std::wstring batchArguments = executable.rest;
    if (!arguments.IsEmpty()) {
        batchArguments += (batchArguments.empty() ? L"" : L" ") + Text(arguments);
    }
    return BatchCommandLine(foundBatchFile.empty() ? executable.program : foundBatchFile, batchArguments);
}

const String& Process::GetCommandLine() {
    if (batchFile) {
        commandLine = BatchLine().Text().c_str();
    } else if (!arguments.IsEmpty()) {
        commandLine.Format(L"%s %s", program.GetBuffer(), arguments.GetBuffer());
    } else {
        commandLine = program;
    }
    return commandLine;
}

String Process::FindProgram() {
    applicationName = L"";
    foundBatchFile.clear();
    String problem;
    if (executable.unclosed) {
        problem = L"the program's closing quote is missing.";
        return problem;
    }
    ProgramSearch search = ProgramSearch::ForThisProgram();
    search.SetBase(startDirectory.IsEmpty() ? CurrentFolder() : Text(startDirectory));
    std::wstring found = search.Find(executable.program);
    if (found.empty()) {
        const wchar_t* hint = executable.quoted
                                  ? L""
                                  : L" If the program's path holds blanks, put it in quotes; if the value goes on "
                                    L"with the program's arguments, move them to commandLineArguments.";
        problem.Format(L"program not found.%s", hint);
        return problem;
    }
    if (!batchFile) {
        SetProgram(found);
        applicationName = found.c_str();
        return problem;
    }
    // By its full path: a cmd.exe anywhere else (the current directory) is not the system's.
    if (search.SystemFolder().empty()) {
        problem.Format(L"the system folder, which holds cmd.exe, is unknown.\n%s", GetSystemErrorText());
        return problem;
    }
    foundBatchFile = found;
    applicationName = (search.SystemFolder() + L"\\cmd.exe").c_str();
    std::wstring lineProblem = BatchLine().Problem();
    if (!lineProblem.empty()) {
        problem.Format(L"%s", lineProblem.c_str());
    }
    return problem;
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
    for (ULONGLONG due = GetTickCount64() + delay, now = GetTickCount64(); now < due; now = GetTickCount64()) {
        if (WaitForSingleObject(GetStopEvent(), static_cast<DWORD>(due - now < 100 ? due - now : 100)) !=
            WAIT_TIMEOUT) {
            return false;
        }
        restart.SetMode(GetRestartPolicy());
        if (!RestartApplies()) {
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
    std::wstring after = startFailure.empty() ? L"exit code " + ExitLine::Code(exitCode) : L"a failed start";
    text.Format(L"Restart policy \"%s\" after %s: starting again in %d s, at %02d:%02d:%02d.\r\n",
                RestartPolicy::Name(restart.GetMode()), after.c_str(), static_cast<int>(delayMs / 1000), time.wHour,
                time.wMinute, time.wSecond);
    LogText(text.GetBuffer());
}

void Process::RequireFit(bool fitted) {
    if (!fitted) {
        throw new Exception(
            L"Process::BuildEnvironment()\nThe environment does not fit in the child's block of %d bytes.",
            static_cast<int>(EnvironmentBlock::CapacityUnits * sizeof(wchar_t)));
    }
}

void Process::BuildEnvironment() {
    std::wstring problem;
    if (!ChildEnvironment::Build(environmentSettings, javaEntry, environment, shownEnvironment, problem)) {
        throw new Exception(L"Process::BuildEnvironment()\n%s", problem.c_str());  // the run fails to start
    }
    // The hints go after the user's own variables, so that a NO_COLOR of theirs counts.
    if (consoleHints) {
        RequireFit(ConsoleHints::Apply(environment));
        std::vector<std::wstring> entries = environment.Entries();
        for (size_t i = shownEnvironment.size(); i < entries.size(); ++i) {
            shownEnvironment.push_back(entries[i]);
        }
    }
}

void Process::AddVariable(const wchar_t* name, const wchar_t* value) {
    RequireFit(environment.Append(name, value));
    shownEnvironment.push_back(std::wstring(name) + L"=" + value);
}

void Process::SortEnvironment() {
    environment.Sort();
    EnvironmentBlock::SortEntries(shownEnvironment);
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
    const wchar_t* name = HostName();
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
        text.Format(L"%s---- %s Debug Info ----%s", LineEnd, HostName(), LineEnd);
        LogText(text.GetBuffer());
    }
}

DWORD Process::ExecuteExternalProcess() {
    String problem = FindProgram();
    if (!problem.IsEmpty()) {
        throw new Exception(L"Process::ExecuteExternalProcess()\n%s", problem.GetBuffer());
    }
    ResetChild();
    // A stop that came before the child exists leaves nothing to launch.
    if (!pipe.Create(GetStopEvent()) || StopRequested()) {
        return 0;
    }
    CreateChild();
    // Only this worker reads the pipe: logged now, the block still comes before the child's output.
    // A launch that fails logs it with its failure instead.
    if (framed) {
        WriteDebugInfo();
    }
    failedStarts = 0;
    if (!jobInUse && framed) {
        LogText(L"The run could not be put in a job object: Stop ends its process tree instead.\r\n\r\n");
    }
    ReadOutput();
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
    childEnded = false;
    endPollMs = 1;
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
    startup.StartupInfo.hStdInput = nullptr;  // a child has no input
    startup.StartupInfo.hStdOutput = pipe.ChildEnd();
    startup.StartupInfo.hStdError = pipe.ChildEnd();
    // Launches on other workers overlap with this one: the child inherits this run's own pipe
    // end only, never another run's.
    std::vector<HANDLE> inherited{pipe.ChildEnd()};
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
    // The file found is named, so the system does not search for one; suspended until it is in
    // its job: nothing it starts may escape the job.
    if (!CreateProcessW(applicationName.GetBuffer(), writable.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED |
                            EXTENDED_STARTUPINFO_PRESENT,
                        const_cast<wchar_t*>(environment.Data()), directory, &startup.StartupInfo, &information)) {
        throw new Exception(L"Process::ExecuteExternalProcess()\n%s", GetSystemErrorText());
    }
    // The child has its copy; nothing else this program starts (an editor, the updater) gets one.
    pipe.KeepFromOtherChildren();
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

void Process::LogBytes(const char* bytes, size_t count) {
    if (!logger || count == 0) {
        return;
    }
    // At most one UTF-16 unit per byte in any ANSI code page, plus the terminating zero.
    if (wide.size() < count + 1) {
        wide.resize(count + 1);
    }
    // Plain ASCII, most output, is the same in every encoding: widen it in one pass, and decode
    // only chunks that hold other bytes.
    if (TextScan::WidenAscii(bytes, count, wide.data())) {
        wide[count] = L'\0';
        Output(wide.data());
        return;
    }
    util::TextCodec::DecodeOutput(bytes, count, runEncoding, decoded, ansiDoubleByte ? ansiLead : nullptr);
    if (!decoded.empty()) {
        Output(decoded.c_str());
    }
    // A burst of odd bytes must not hold its memory for the rest of the run.
    if (decoded.capacity() > 4 * ReadSize) {
        std::wstring().swap(decoded);
    }
}

namespace {

// The lead bytes of a double-byte code page into lead; false for any other code page.
bool LeadBytes(UINT codePage, bool* lead) {
    CPINFO info = {};
    if (codePage == CP_UTF8 || !GetCPInfo(codePage, &info) || info.MaxCharSize != 2) {
        return false;
    }
    std::memset(lead, 0, 256 * sizeof(bool));
    for (int range = 0; range + 1 < MAX_LEADBYTES && info.LeadByte[range] != 0; range += 2) {
        for (int b = info.LeadByte[range]; b <= info.LeadByte[range + 1]; ++b) {
            lead[b] = true;
        }
    }
    return true;
}

}  // namespace

void Process::ConfigureAssembler() {
    // A character cut by the end of a read waits for the rest; "auto" keeps back what could still
    // become a UTF-8 sequence, and a lead byte of a double-byte ANSI code page outside them.
    assembler = ChunkAssembler();
    using Mode = util::OutputEncoding::Mode;
    runEncoding = outputEncoding;  // the assembler and the decoder must agree for the whole run
    ansiDoubleByte = false;
    if (runEncoding == Mode::Auto) {
        ansiDoubleByte = LeadBytes(GetACP(), ansiLead);
        assembler.SetAuto(ansiDoubleByte ? ansiLead : nullptr);
        return;
    }
    UINT codePage = runEncoding == Mode::Oem ? GetOEMCP() : GetACP();
    bool lead[256];
    if (runEncoding == Mode::Utf8 || codePage == CP_UTF8) {
        assembler.SetUtf8();
    } else if (LeadBytes(codePage, lead)) {
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
        if (!ReadFile(pipe.ReadEnd(), target, ReadSize, &count, &overlapped)) {
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
            if (!GetOverlappedResult(pipe.ReadEnd(), &overlapped, &count, FALSE)) {
                count = 0;
            }
        }
        drained += over ? count : 0;
        Deliver(readBuffer.data(), count);
    }
    if (pending) {
        // The read still refers to our buffer and record: cancel it and let it complete first.
        // Bytes it took before the cancel are output too.
        CancelIoEx(pipe.ReadEnd(), &overlapped);
        DWORD count = 0;
        if (!GetOverlappedResult(pipe.ReadEnd(), &overlapped, &count, TRUE)) {
            count = 0;
        }
        Deliver(readBuffer.data(), count);
    }
    char rest[ChunkAssembler::MaxCarry];
    LogBytes(rest, assembler.Flush(rest));  // the output ended inside a character: show what came
    CloseHandle(readEvent);
    readEvent = nullptr;
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
    if (!jobInUse) {
        return true;
    }
    // A job that cannot be asked may still hold processes: the run goes on (a Stop still ends it).
    long active = ActiveJobProcesses();
    return active == 0 || (active > 0 && job.OnlyConsoleHostsLeft());
}

long Process::ActiveJobProcesses() const {
    return job.ActiveProcesses();
}

void Process::Deliver(char* buffer, DWORD count) {
    if (count == 0 || !logger) {
        return;
    }
    char* start = nullptr;
    size_t complete = assembler.Take(buffer, count, &start);
    LogBytes(start, complete);
}

void Process::EndChildAfterStop() {
    // A Terminate that came before the child's id was known could not end the run, and one that
    // ended the job did not wait for processes still starting: nothing of the run may go on
    // unattended. The child's id cannot go to another process meanwhile: we hold its handle.
    bool due = false;
    {
        CriticalSection::Lock hold(childLock);
        due = !treeEnded && childProcess;
    }
    // Not under the lock: a Terminate meanwhile must not wait for a walk of a large tree.
    if (due) {
        bool ended = EndRunProcesses(false);
        CriticalSection::Lock hold(childLock);
        treeEnded = treeEnded || ended;
    }
}

bool Process::EndRunProcessesNow() {
    if (jobInUse) {
        // Processes still setting themselves up may survive this; the worker ends the job again,
        // waiting for them, once it sees the stop.
        job.TerminateNow(1);
        return false;
    }
    if (!childProcess || WaitForSingleObject(childProcess, 0) != WAIT_TIMEOUT) {
        return true;
    }
    EndTree(processId.load());
    return true;
}

bool Process::EndRunProcesses(bool throwOnTreeFailure) {
    if (jobInUse && job.Terminate(1, 1000)) {
        return true;
    }
    if (!childProcess || WaitForSingleObject(childProcess, 0) != WAIT_TIMEOUT) {
        return jobInUse ? ActiveJobProcesses() == 0 : true;
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

void Process::CloseChild() {
    // The process id goes with the handle: once closed, the system may give the id to another
    // process, which Terminate must never aim at.
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

void Process::CloseHandles() {
    CloseChild();
    pipe.Close();
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
            WriteDebugFooter();
        }
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

void Process::EndRequested(ExitLine::Reason reason) {
    Exception* failure = nullptr;
    {
        CriticalSection::Lock hold(childLock);
        if (IsRunning()) {
            endReason = static_cast<int>(reason);
            if (BeginGracefulStop()) {
                return;  // the steps run; the run is ended once their timeout has passed
            }
            if (processId.load() != 0 && !treeEnded) {
                try {
                    treeEnded = EndRunProcessesNow();
                } catch (Exception* e) {
                    failure = e;  // told after the stop: the worker still ends the child itself
                }
            }
        }
    }
    Stop();
    if (failure) {
        throw failure;
    }
}

bool Process::BeginGracefulStop() {
    // A second stop during the wait, or a stop before the child exists, ends the run at once.
    if (!GracefulStop::Applies(stopSettings) || graceful->IsActive() || processId.load() == 0 || treeEnded ||
        StopRequested()) {
        return false;
    }
    graceful->Begin(stopSettings, processId.load(), *consoleSignal, MakeStopProgram());
    return true;
}

std::unique_ptr<Process> Process::MakeStopProgram() const {
    if (stopSettings.executable.empty()) {
        return nullptr;
    }
    std::unique_ptr<Process> stop(new Process(L"StopProgram"));
    stop->framed = false;
    stop->SetExecutable(stopSettings.executable.c_str());
    stop->SetArguments(stopSettings.arguments.c_str());
    stop->SetWorkingDirectory(workingDirectory);
    stop->SetStartDirectory(startDirectory);
    stop->SetEnvironmentSettings(environmentSettings);
    stop->SetOutputEncoding(outputEncoding);
    stop->SetConsoleHints(consoleHints);
    return stop;
}

std::vector<DWORD> Process::RunProcessIds() {
    CriticalSection::Lock hold(childLock);
    std::vector<DWORD> ids;
    if (!jobInUse || !job.ProcessIds(ids) || ids.empty()) {
        ids.assign(1, processId.load());
    }
    return ids;
}

void Process::EndAfterTimeout() {
    {
        CriticalSection::Lock hold(childLock);
        int asked = endReason.load();
        if (asked >= 0) {
            endReason = static_cast<int>(ExitLine::AfterTimeout(static_cast<ExitLine::Reason>(asked)));
        }
        if (IsRunning() && processId.load() != 0 && !treeEnded) {
            try {
                treeEnded = EndRunProcessesNow();
            } catch (Exception* e) {
                delete e;  // the tree could not be listed: the worker ends the child itself on the stop
            }
        }
    }
    Stop();
}

bool Process::StopAsked() const {
    return StopRequested() || graceful->IsActive();
}

void Process::Terminate() {
    EndRequested(ExitLine::Reason::Stopped);
}

bool Process::Restart() {
    if (IsRunning()) {
        EndRequested(ExitLine::Reason::Restarted);
        return true;
    }
    Start();
    return false;
}
