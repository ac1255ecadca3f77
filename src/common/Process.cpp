#include "common/Process.h"

#include <vector>

#include "app/Application.h"
#include "common/TerminateProcessTree.h"
#include "util/Exception.h"
#include "util/SystemError.h"

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
      treeEnded(false) {
    program = L"";
    workingDirectory = L"";
    arguments = L"";
    commandLine = L"";
    pipeName = L"";
}

Process::~Process() { Shutdown(); }

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

String Process::ProgramFor(const String& path) {
    String result = path;
    if (path.EndsWithNoCase(L".cmd") || path.EndsWithNoCase(L".bat")) {
        result.Format(L"cmd.exe /C %s", path.GetBuffer());
    }
    return result;
}

void Process::SetExecutable(const String& path) { program = ProgramFor(path); }

util::logging::ILogger* Process::SetLogger(util::logging::ILogger* newLogger) {
    if (!newLogger) {
        throw new Exception(L"Process::SetLogger()\nlogger can't be null.");
    }
    logger = newLogger;
    return logger;
}

const String& Process::GetCommandLine() {
    if (!arguments.IsEmpty()) {
        commandLine.Format(L"%s %s", program.GetBuffer(), arguments.GetBuffer());
    } else {
        commandLine = program;
    }
    return commandLine;
}

unsigned int* Process::Run() {
    environment.Clear();
    BuildEnvironment();
    exitCode = ExecuteExternalProcess();
    return new unsigned int(exitCode);
}

void Process::RequireFit(bool fitted) {
    if (!fitted) {
        throw new Exception(L"Process::BuildEnvironment()\nThe environment does not fit in the child's block of %d bytes.",
                            static_cast<int>(EnvironmentBlock::CapacityUnits * sizeof(wchar_t)));
    }
}

void Process::BuildEnvironment() {
    // Read from the system rather than the C runtime's table, which a GUI program has to fill
    // first and which would pass non-ANSI characters through the ANSI code page.
    wchar_t* strings = GetEnvironmentStringsW();
    if (!strings) {
        return;
    }
    bool fitted = true;
    for (const wchar_t* entry = strings; *entry && fitted; entry += wcslen(entry) + 1) {
        // "=C:=C:\dir" entries are the system's per-drive directories, not variables.
        if (entry[0] != L'=') {
            fitted = environment.AppendInherited(entry);
        }
    }
    FreeEnvironmentStringsW(strings);
    RequireFit(fitted);
}

void Process::LogText(const wchar_t* text) {
    if (logger) {
        logger->Log(text);
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
    for (const std::wstring& entry : environment.Entries()) {
        text.Append(entry.c_str());
        text.Append(LineEnd);
    }
    LogText(text.GetBuffer());
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
    {
        CriticalSection::Lock hold(childLock);
        childProcess = nullptr;
        childThread = nullptr;
        processId = 0;
        childThreadId = 0;
        treeEnded = false;
    }
    pipeName.Format(L"\\\\.\\pipe\\%d", static_cast<int>(GetCurrentThreadId()));

    InheritableAttributes inheritable;
    SECURITY_ATTRIBUTES& inherit = inheritable.attributes;

    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) {
            Sleep(500);
        }
        m_hChild_STDOUT_Write = CreateNamedPipeW(
            pipeName.GetBuffer(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE, 0, 255,
            PipeBufferSize, PipeBufferSize, 0, &inherit);
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
    if (standardInput) {
        WriteToPipe();
    }
    ReadOutput();
    DWORD code = 0;
    GetExitCodeProcess(childProcess, &code);
    return code;
}

void Process::ConnectPipe() {
    // Our end is open before the child starts, so nothing it writes early is lost.
    m_hChild_STDOUT_Read = CreateFileW(pipeName.GetBuffer(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OVERLAPPED, nullptr);
    if (m_hChild_STDOUT_Read == INVALID_HANDLE_VALUE) {
        m_hChild_STDOUT_Read = nullptr;
        throw new Exception(L"Process::ExecuteExternalProcess()\nThe pipe %s could not be opened for reading.\n%s",
                            pipeName.GetBuffer(), GetSystemErrorText());
    }
}

void Process::CreateChild() {
    InheritableAttributes inheritable;
    SECURITY_ATTRIBUTES& inherit = inheritable.attributes;

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = m_hChild_STDIN_Read;
    startup.hStdOutput = m_hChild_STDOUT_Write;
    startup.hStdError = m_hChild_STDOUT_Write;

    const String& line = GetCommandLine();
    const wchar_t* text = line.GetBuffer() ? line.GetBuffer() : L"";
    std::vector<wchar_t> writable(text, text + line.GetLength() + 1);  // CreateProcessW may write to it
    PROCESS_INFORMATION information = {};
    const wchar_t* directory = workingDirectory.IsEmpty() ? nullptr : workingDirectory.GetBuffer();
    if (!CreateProcessW(nullptr, writable.data(), &inherit, &inherit, TRUE,
                        CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT | NORMAL_PRIORITY_CLASS,
                        const_cast<wchar_t*>(environment.Data()), directory, &startup, &information)) {
        throw new Exception(L"Process::ExecuteExternalProcess()\n%s", GetSystemErrorText());
    }
    CriticalSection::Lock hold(childLock);
    childProcess = information.hProcess;
    childThread = information.hThread;
    childThreadId = information.dwThreadId;
    processId = information.dwProcessId;
}

void Process::LogAnsi(const char* bytes, size_t count) {
    if (!logger || count == 0) {
        return;
    }
    // At most one UTF-16 unit per byte in any ANSI code page, plus the terminating zero.
    if (wide.size() < count + 1) {
        wide.resize(count + 1);
    }
    int units = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(count), wide.data(),
                                    static_cast<int>(wide.size() - 1));
    wide[units > 0 ? static_cast<size_t>(units) : 0] = L'\0';
    if (units > 0) {
        logger->Log(wide.data());
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
    HANDLE readEvent = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    if (!readEvent) {
        throw new Exception(L"Process::ReadOutput()\n%s", GetSystemErrorText());
    }
    OVERLAPPED overlapped = {};
    overlapped.hEvent = readEvent;
    HANDLE waits[3] = {readEvent, childProcess, GetStopEvent()};
    std::vector<char> buffer(ChunkAssembler::MaxCarry + ReadSize + 1);
    char* target = buffer.data() + ChunkAssembler::MaxCarry;
    bool proceed = true;
    bool pending = false;
    bool stopped = false;
    DWORD lastLook = GetTickCount();
    while (proceed) {
        DWORD count = 0;
        pending = false;
        // Reads that complete at once never reach the wait below, so a flooding child would keep
        // the loop from ever seeing the stop. Looking costs a system call: every 10 ms will do.
        DWORD now = GetTickCount();
        if (now - lastLook >= 10) {
            lastLook = now;
            if (StopWhileChildRuns()) {
                stopped = true;
                break;
            }
        }
        if (!ReadFile(m_hChild_STDOUT_Read, target, ReadSize, &count, &overlapped)) {
            if (GetLastError() != ERROR_IO_PENDING) {
                proceed = false;
            } else {
                pending = true;
                DWORD result;
                do {
                    // An alert only interrupts the wait; the read is still pending.
                    result = WaitForMultipleObjectsEx(3, waits, FALSE, INFINITE, TRUE);
                } while (result == WAIT_IO_COMPLETION);
                if (result == WAIT_OBJECT_0) {
                    pending = false;
                    if (!GetOverlappedResult(m_hChild_STDOUT_Read, &overlapped, &count, FALSE)) {
                        count = 0;
                    }
                } else {
                    proceed = false;  // the child ended, a stop was asked for, or the wait failed
                    stopped = result == WAIT_OBJECT_0 + 2;
                }
            }
        }
        Deliver(buffer.data(), count);
    }
    if (pending) {
        // The read still refers to our buffer and record: cancel it and let it complete first.
        // Bytes it took before the cancel are output too.
        CancelIoEx(m_hChild_STDOUT_Read, &overlapped);
        DWORD count = 0;
        if (!GetOverlappedResult(m_hChild_STDOUT_Read, &overlapped, &count, TRUE)) {
            count = 0;
        }
        Deliver(buffer.data(), count);
    }
    char rest[ChunkAssembler::MaxCarry];
    LogAnsi(rest, assembler.Flush(rest));  // the output ended inside a character: show what came
    CloseHandle(readEvent);
    if (stopped) {
        EndChildAfterStop();
    }
}

bool Process::StopWhileChildRuns() {
    // Once the child has ended, what is left in the pipe is still read: nothing is lost.
    return WaitForSingleObject(GetStopEvent(), 0) == WAIT_OBJECT_0 &&
           WaitForSingleObject(childProcess, 0) == WAIT_TIMEOUT;
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
    // A Terminate that came before the child's id was known could not end the tree; the stop
    // event still reached us, so the child must not run on unattended. The id cannot go to
    // another process meanwhile: we hold the child's handle.
    bool ended;
    {
        CriticalSection::Lock hold(childLock);
        ended = treeEnded;
    }
    if (ended || !childProcess || WaitForSingleObject(childProcess, 0) != WAIT_TIMEOUT) {
        return;
    }
    BeginUninterruptible();
    EndChildTree();
    EndUninterruptible();
}

void Process::EndChildTree() {
    try {
        TerminateProcessTree(processId.load());
    } catch (Exception* e) {
        delete e;
        TerminateProcess(childProcess, 0);  // the process list could not be read: the child at least
    }
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
}

void Process::CloseHandles() {
    CloseChild();
    CloseHeld(m_hChild_STDOUT_Read, L"Process::CloseHandles()\nm_hChild_STDOUT_Read\n%s");
    CloseHeld(m_hChild_STDIN_Read, L"Process::CloseHandles()\nm_hChild_STDIN_Read\n%s");
    CloseHeld(m_hChild_STDIN_Write, L"Process::CloseHandles()\nm_hChild_STDIN_Write\n%s");
    CloseHeld(m_hChild_STDOUT_Write, L"Process::CloseHandles()\nm_hChild_STDOUT_Write\n%s");
}

void Process::OnRunFinished() {
    try {
        CloseHandles();
    } catch (Exception*) {
        WriteDebugFooter();  // the run is over all the same
        throw;
    }
    WriteDebugFooter();
}

void Process::OnTerminated() {
    // The worker was killed: nothing will close what it held, and its child, if it had one
    // already, runs on with nobody reading it. The worker is gone, so nothing races with this.
    if (childProcess && WaitForSingleObject(childProcess, 0) == WAIT_TIMEOUT) {
        EndChildTree();
    }
    try {
        CloseHandles();
    } catch (Exception* e) {
        delete e;  // a handle the killed worker had already closed
    }
}

void Process::Terminate() {
    {
        CriticalSection::Lock hold(childLock);
        if (IsRunning() && processId.load() != 0) {
            treeEnded = true;
            TerminateProcessTree(processId.load());
        }
    }
    Stop();
}
