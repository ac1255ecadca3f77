#include "net/UsesWinsock.h"

#include <winsock2.h>

#include "util/SystemError.h"

namespace net {

UsesWinsock::UsesWinsock() {
    className = L"UsesWinsock";
    WSADATA data;
    if (WSAStartup(0x0202, &data) != 0) {
        // Not reported here: the socket calls that follow fail with messages of their own.
        GetSystemErrorText();
    }
}

UsesWinsock::~UsesWinsock() { WSACleanup(); }

}  // namespace net
