#pragma once

#include <atomic>
#include <cstdint>

#include "io/IInputStream.h"
#include "util/Object.h"

namespace net {

// Owns one TCP socket handle: 0 when there is none, the library's invalid value after a
// failed CreateSocket. Reading it as an input stream receives from the connected peer.
class TCPSocket : public Object, public io::IInputStream {
public:
    TCPSocket();
    ~TCPSocket() override;
    TCPSocket(const TCPSocket&) = delete;
    TCPSocket& operator=(const TCPSocket&) = delete;

    // A new IPv4 stream socket; raises "%s::CreateSocket()..." (class name) when refused.
    void CreateSocket();
    // Closes a valid handle and sets it to 0; does nothing for 0 or the invalid handle.
    void Close();
    // Bounds every receive on the current handle; a handle created later starts without it.
    void SetRecvTimeOut(int milliseconds);
    // A point in time (a GetTickCount64 value; 0: none) after which no connect or receive of
    // this object waits any longer, so that a whole exchange can be bounded.
    void SetDeadline(uint64_t tick) { deadline = tick; }
    uint64_t GetDeadline() const { return deadline; }

    // While the flag (not owned; null: none) is set, every connect and receive of this object
    // gives up within a tenth of a second, as if its time had run out.
    void SetCancelFlag(const std::atomic<bool>* flag) { cancel = flag; }

    // Read's result when the receive timeout or the deadline ran out (or the wait was cancelled).
    static const int kTimedOut = -2;
    // recv on the handle: bytes read, 0 when the peer closed, kTimedOut, or -1 on failure.
    // Waits no longer than the receive timeout and the deadline allow.
    int Read(char* buffer, int size) override;
    // One send of count bytes; returns what send returned.
    int Send(const char* data, int count);

    uintptr_t GetHandle() const { return handle; }
    // False when closed (0) or when the last creation failed.
    bool HasSocket() const;

protected:
    // Milliseconds a wait may take under the receive timeout and the deadline; -1: unbounded.
    int64_t WaitBound() const;
    // Waits until the handle can be read (forWrite false) or is connected (true); false when
    // the bound ran out first.
    bool WaitFor(bool forWrite, int64_t milliseconds) const;

    uintptr_t handle;  // a SOCKET; kept as an integer so that this header needs no Winsock
    int recvTimeOut;   // the value last given to SetRecvTimeOut (0 when never)
    uint64_t deadline;
    const std::atomic<bool>* cancel;  // not owned
};

}  // namespace net
