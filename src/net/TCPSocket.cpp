#include "net/TCPSocket.h"

#include <winsock2.h>

#include "util/Exception.h"
#include "util/SystemError.h"

namespace net {

TCPSocket::TCPSocket() : handle(0), recvTimeOut(0) {}

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

void TCPSocket::SetRecvTimeOut(int milliseconds) {
    DWORD value = static_cast<DWORD>(milliseconds);
    if (setsockopt(static_cast<SOCKET>(handle), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&value),
                   sizeof(value)) == SOCKET_ERROR) {
        throw new Exception(L"TCPServer::SetRecvTimeOut() - setsockopt() failed. %s", GetSystemErrorText());
    }
    recvTimeOut = milliseconds;
}

int TCPSocket::Read(char* buffer, int size) {
    int received = recv(static_cast<SOCKET>(handle), buffer, size, 0);
    return received == SOCKET_ERROR ? -1 : received;
}

int TCPSocket::Send(const char* data, int count) { return send(static_cast<SOCKET>(handle), data, count, 0); }

}  // namespace net
