#include "net/TCPClient.h"

#include <winsock2.h>

#include <cstring>

#include "util/Exception.h"
#include "util/SystemError.h"

namespace net {

TCPClient::TCPClient() : port(-1) {
    className = L"HttpClient";
    CreateSocket();
    host = L"";
}

namespace {

// Host names are letters, digits, '-', '_' and dots. Anything else (a '+' left by a space, a
// scheme glued on) cannot name a host, and names under the reserved "invalid" domain never
// resolve: neither is worth a query to the name service.
bool IsResolvable(const String& host) {
    if (host.IsEmpty() || host.EqualsNoCase(L"invalid") || host.EndsWithNoCase(L".invalid")) {
        return false;
    }
    for (const wchar_t* c = host.GetBuffer(); *c; ++c) {
        bool letterOrDigit = (*c >= L'a' && *c <= L'z') || (*c >= L'A' && *c <= L'Z') || (*c >= L'0' && *c <= L'9');
        if (!letterOrDigit && *c != L'-' && *c != L'_' && *c != L'.') {
            return false;
        }
    }
    return true;
}

}  // namespace

void TCPClient::Connect() {
    sockaddr_in address;
    std::memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    if (!IsResolvable(host) || !Resolve(address.sin_addr)) {
        throw new Exception(L"%s::Connect() %s could not be resolved", className, host.GetBuffer());
    }
    if (port <= 0 || port > 0xFFFF) {
        // Cut to 16 bits, 65616 would quietly become port 80.
        throw new Exception(L"%s::Connect() %d is no port", className, port);
    }
    address.sin_port = htons(static_cast<u_short>(port));
    if (handle == 0 || handle == static_cast<uintptr_t>(INVALID_SOCKET)) {
        CreateSocket();  // closed by an earlier exchange, or never created
    }
    if (!ConnectWithin(&address, sizeof(address))) {
        throw new Exception(L"%s::Connect() - while connecting to %s:%d : %s", className, host.GetBuffer(), port,
                            GetSystemErrorText());
    }
}

bool TCPClient::Resolve(in_addr& result) {
    const char* name = host.GetUTF8();
    unsigned long numeric = name ? inet_addr(name) : INADDR_NONE;
    if (numeric != INADDR_NONE) {
        result.s_addr = numeric;  // a dotted address needs no name service
        return true;
    }
    hostent* entry = name ? gethostbyname(name) : nullptr;
    if (!entry || !entry->h_addr_list || !entry->h_addr_list[0] || entry->h_length != sizeof(result)) {
        return false;
    }
    std::memcpy(&result, entry->h_addr_list[0], sizeof(result));
    return true;
}

// A blocking connect to an address that never answers takes minutes; when a bound is set the
// connect waits no longer than it, and a cancellable one looks at its flag as it waits.
bool TCPClient::ConnectWithin(const void* address, int size) {
    SOCKET socketHandle = static_cast<SOCKET>(handle);
    const sockaddr* target = static_cast<const sockaddr*>(address);
    int64_t bound = WaitBound();
    if (bound < 0 && !cancel) {
        return connect(socketHandle, target, size) != SOCKET_ERROR;
    }
    u_long nonBlocking = 1;
    ioctlsocket(socketHandle, FIONBIO, &nonBlocking);
    bool connected = connect(socketHandle, target, size) != SOCKET_ERROR;
    if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
        if (!WaitFor(true, bound < 0 ? INT32_MAX : bound)) {
            WSASetLastError(WSAETIMEDOUT);
        } else {
            int error = 0;
            int length = sizeof(error);
            getsockopt(socketHandle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
            connected = error == 0;
            WSASetLastError(error);
        }
    }
    u_long blocking = 0;
    ioctlsocket(socketHandle, FIONBIO, &blocking);
    return connected;
}

}  // namespace net
