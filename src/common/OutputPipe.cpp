#include "common/OutputPipe.h"

#include <atomic>
#include <initializer_list>

#include "util/Exception.h"
#include "util/SystemError.h"

namespace {

const int Attempts = 3;
const DWORD RetryWaitMs = 20;

// Closes a held handle and forgets it; a failed close raises the message.
void CloseHeld(HANDLE& handle, const wchar_t* message) {
    HANDLE held = handle;
    handle = nullptr;
    if (held && held != INVALID_HANDLE_VALUE && !CloseHandle(held)) {
        throw new Exception(message, GetSystemErrorText());
    }
}

}  // namespace

OutputPipe::OutputPipe() : readEnd(nullptr), childEnd(nullptr) {
    className = L"OutputPipe";
    name = L"";
}

OutputPipe::~OutputPipe() {
    for (HANDLE* end : {&readEnd, &childEnd}) {
        if (*end) {
            CloseHandle(*end);
        }
    }
}

String OutputPipe::NextName() {
    // Process id and a counter: a pipe a descendant of an earlier run still holds never has the
    // name of a new one (thread ids are reused).
    static std::atomic<unsigned long> counter(0);
    String next;
    next.Format(L"\\\\.\\pipe\\Tarnwick.%lu.%lu", static_cast<unsigned long>(GetCurrentProcessId()), ++counter);
    return next;
}

bool OutputPipe::Create(HANDLE stopEvent) {
    Close();
    for (int attempt = 0;; ++attempt) {
        if (TryCreate(NextName())) {
            break;
        }
        if (attempt + 1 == Attempts) {
            throw new Exception(L"Process::ExecuteExternalProcess()\nCreateNamedPipe()\n%s", GetSystemErrorText());
        }
        DWORD error = GetLastError();
        if (WaitForSingleObject(stopEvent, RetryWaitMs) == WAIT_OBJECT_0) {
            return false;
        }
        SetLastError(error);
    }
    Connect();
    return true;
}

bool OutputPipe::TryCreate(const String& pipeName) {
    // The first instance, and the only one: nobody can open a second one under the name and
    // catch what the child writes.
    HANDLE server = CreateNamedPipeW(pipeName.GetBuffer(),
                                     PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                     PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                                     BufferSize, BufferSize, 0, nullptr);
    if (server == INVALID_HANDLE_VALUE) {
        return false;
    }
    readEnd = server;
    name = pipeName;
    return true;
}

void OutputPipe::Connect() {
    SECURITY_ATTRIBUTES inheritable = {};
    inheritable.nLength = sizeof(inheritable);
    inheritable.bInheritHandle = TRUE;
    // Read access to attributes too: runtimes look at what their standard handles are.
    childEnd =
        CreateFileW(name.GetBuffer(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, &inheritable, OPEN_EXISTING, 0, nullptr);
    if (childEnd == INVALID_HANDLE_VALUE) {
        childEnd = nullptr;
        String error = GetSystemErrorText();
        Close();
        throw new Exception(L"Process::ExecuteExternalProcess()\nThe pipe %s could not be opened for writing.\n%s",
                            name.GetBuffer(), error.GetBuffer());
    }
    // The client is there already, so this completes at once; it makes sure the one instance
    // is ours and connected.
    OVERLAPPED connect = {};
    connect.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    BOOL connected = connect.hEvent && ConnectNamedPipe(readEnd, &connect);
    DWORD error = connected ? ERROR_PIPE_CONNECTED : GetLastError();
    if (error == ERROR_IO_PENDING) {
        CancelIoEx(readEnd, &connect);
        DWORD ignored = 0;
        GetOverlappedResult(readEnd, &connect, &ignored, TRUE);
    }
    if (connect.hEvent) {
        CloseHandle(connect.hEvent);
    }
    if (error != ERROR_PIPE_CONNECTED) {
        SetLastError(error);
        String text = GetSystemErrorText();
        Close();
        throw new Exception(L"Process::ExecuteExternalProcess()\nConnectNamedPipe()\n%s", text.GetBuffer());
    }
}

void OutputPipe::KeepFromOtherChildren() {
    if (childEnd) {
        SetHandleInformation(childEnd, HANDLE_FLAG_INHERIT, 0);
    }
}

void OutputPipe::Close() {
    Exception* failure = nullptr;
    try {
        CloseHeld(readEnd, L"OutputPipe::Close()\nThe reading end\n%s");
    } catch (Exception* e) {
        failure = e;  // the other end is closed all the same
    }
    try {
        CloseHeld(childEnd, L"OutputPipe::Close()\nThe child's end\n%s");
    } catch (Exception* e) {
        delete failure;
        failure = e;
    }
    if (failure) {
        throw failure;
    }
}
