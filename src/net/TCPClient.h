#pragma once

#include "net/TCPSocket.h"
#include "util/String.h"

namespace net {

// A socket with the host and port it connects to. Every client carries the class name
// "HttpClient", which its messages print.
class TCPClient : public TCPSocket {
public:
    // Creates the socket at once; a failure there fails the construction.
    TCPClient();

    // Resolves the host, creates a fresh socket when the last one was closed, and connects.
    void Connect();

    void SetHost(const String& value) { host = value; }
    void SetPort(int value) { port = value; }

protected:
    String host;
    int port;
};

}  // namespace net
