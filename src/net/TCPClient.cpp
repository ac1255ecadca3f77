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

void TCPClient::Connect() {
    sockaddr_in address;
    std::memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    const char* name = host.GetUTF8();
    hostent* entry = name ? gethostbyname(name) : nullptr;
    if (!entry || !entry->h_addr_list || !entry->h_addr_list[0] || entry->h_length != sizeof(address.sin_addr)) {
        throw new Exception(L"%s::Connect() %s could not be resolved", className, host.GetBuffer());
    }
    std::memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof(address.sin_addr));
    address.sin_port = htons(static_cast<u_short>(port & 0xFFFF));
    if (handle == 0) {
        Close();
        CreateSocket();
    }
    if (connect(static_cast<SOCKET>(handle), reinterpret_cast<sockaddr*>(&address), sizeof(address)) ==
        SOCKET_ERROR) {
        throw new Exception(L"%s::Connect() - while connecting to %s:%d : %s", className, host.GetBuffer(), port,
                            GetSystemErrorText());
    }
}

}  // namespace net
