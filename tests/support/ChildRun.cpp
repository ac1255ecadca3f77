#include "support/ChildRun.h"

#include <vector>

namespace testsupport {

ChildRun::ChildRun(const std::wstring& commandLine, const std::wstring& directory, const std::wstring& program) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;  // no input: the standard input handle stays null
    PROCESS_INFORMATION pi = {};
    std::wstring line = commandLine;  // CreateProcessW may write to it
    if (CreateProcessW(program.empty() ? nullptr : program.c_str(), &line[0], nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW, nullptr, directory.empty() ? nullptr : directory.c_str(), &si, &pi)) {
        process = pi.hProcess;
        processId = pi.dwProcessId;
        CloseHandle(pi.hThread);
    }
    CloseHandle(writeEnd);  // only the child holds the write end now, so reads end with it
}

ChildRun::~ChildRun() {
    if (process) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process, 1);
        }
        CloseHandle(process);
    }
    if (readEnd) {
        CloseHandle(readEnd);
    }
}

void ChildRun::Drain() {
    DWORD available = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        std::vector<char> buffer(available);
        DWORD read = 0;
        if (!ReadFile(readEnd, buffer.data(), available, &read, nullptr) || read == 0) {
            break;
        }
        output.append(buffer.data(), read);
    }
}

bool ChildRun::Wait(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (process && WaitForSingleObject(process, 20) != WAIT_OBJECT_0) {
        Drain();
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
    }
    // The child is gone: take what it wrote last (a grandchild may keep the pipe open, so only
    // what is already there is read, never waited for).
    Drain();
    return process != nullptr;
}

DWORD ChildRun::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process) {
        GetExitCodeProcess(process, &code);
    }
    return code;
}

}  // namespace testsupport
