#pragma once

#include "net/TCPSocket.h"
#include "util/String.h"

struct in_addr;

namespace net {

// A socket with the host and port it connects to. Every client carries the class name
// "HttpClient", which its messages print.
class TCPClient : public TCPSocket {
public:
    // Creates the socket at once; a failure there fails the construction.
    TCPClient();

    // Resolves the host, creates a fresh socket when the last one was closed (or could not be
    // created), and connects, waiting no longer than the receive timeout and deadline allow.
    void Connect();

    void SetHost(const String& value) { host = value; }
    void SetPort(int value) { port = value; }

protected:
    String host;
    int port;

private:
    bool Resolve(in_addr& result);
    bool ConnectWithin(const void* address, int size);
};

}  // namespace net
