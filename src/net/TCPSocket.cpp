#include "net/TCPSocket.h"

#include <winsock2.h>

#include "util/Exception.h"
#include "util/SystemError.h"

namespace net {

TCPSocket::TCPSocket() : handle(0), recvTimeOut(0), deadline(0), cancel(nullptr) {}

TCPSocket::~TCPSocket() {
    try {
        Close();
    } catch (Exception* e) {
        delete e;  // a destructor must not throw; the handle is lost either way
    }
}

void TCPSocket::CreateSocket() {
    handle = static_cast<uintptr_t>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (handle == static_cast<uintptr_t>(INVALID_SOCKET)) {
        const wchar_t* error = GetSystemErrorText();
        Close();
        throw new Exception(L"%s::CreateSocket()\nError at function socket()\n%s", className, error);
    }
}

void TCPSocket::Close() {
    if (handle == 0 || handle == static_cast<uintptr_t>(INVALID_SOCKET)) {
        return;
    }
    if (closesocket(static_cast<SOCKET>(handle)) == SOCKET_ERROR) {
        throw new Exception(L"TCPServer::Close() - closesocket() failed. %s", GetSystemErrorText());
    }
    handle = 0;
}

bool TCPSocket::HasSocket() const { return handle != 0 && handle != static_cast<uintptr_t>(INVALID_SOCKET); }

void TCPSocket::SetRecvTimeOut(int milliseconds) {
    DWORD value = static_cast<DWORD>(milliseconds);
    if (setsockopt(static_cast<SOCKET>(handle), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&value),
                   sizeof(value)) == SOCKET_ERROR) {
        throw new Exception(L"TCPServer::SetRecvTimeOut() - setsockopt() failed. %s", GetSystemErrorText());
    }
    recvTimeOut = milliseconds;
}

int64_t TCPSocket::WaitBound() const {
    int64_t bound = recvTimeOut > 0 ? recvTimeOut : -1;
    if (deadline != 0) {
        uint64_t now = GetTickCount64();
        int64_t left = now < deadline ? static_cast<int64_t>(deadline - now) : 0;
        if (bound < 0 || left < bound) {
            bound = left;
        }
    }
    return bound;
}

bool TCPSocket::WaitFor(bool forWrite, int64_t milliseconds) const {
    // A cancellable wait looks at its flag at least every 100 ms.
    const int64_t slice = 100;
    for (;;) {
        if (cancel && *cancel) {
            return false;
        }
        int64_t part = cancel && milliseconds > slice ? slice : milliseconds;
        fd_set ready;
        fd_set failed;
        FD_ZERO(&ready);
        FD_ZERO(&failed);
        FD_SET(static_cast<SOCKET>(handle), &ready);
        FD_SET(static_cast<SOCKET>(handle), &failed);
        timeval limit;
        limit.tv_sec = static_cast<long>(part / 1000);
        limit.tv_usec = static_cast<long>((part % 1000) * 1000);
        // A failed connect is reported in the exception set; a failed read makes the socket readable.
        int count =
            select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, forWrite ? &failed : nullptr, &limit);
        if (count != 0 || part == milliseconds) {
            return count > 0;
        }
        milliseconds -= part;
    }
}

int TCPSocket::Read(char* buffer, int size) {
    // The receive timeout is the socket's own (SO_RCVTIMEO): a wait of ours is needed only when
    // the deadline comes first or the wait can be cancelled. (Each select costs a round trip to
    // Wine's server, which a download would otherwise pay on every read.)
    int64_t bound = deadline != 0 || cancel ? WaitBound() : -1;
    bool waitFirst = cancel || (bound >= 0 && (recvTimeOut <= 0 || bound < recvTimeOut));
    if (waitFirst && !WaitFor(false, bound < 0 ? INT32_MAX : bound)) {
        WSASetLastError(WSAETIMEDOUT);
        return kTimedOut;
    }
    int received = recv(static_cast<SOCKET>(handle), buffer, size, 0);
    if (received == SOCKET_ERROR) {
        return WSAGetLastError() == WSAETIMEDOUT ? kTimedOut : -1;
    }
    return received;
}

int TCPSocket::Send(const char* data, int count) { return send(static_cast<SOCKET>(handle), data, count, 0); }

}  // namespace net
