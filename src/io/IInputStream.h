#pragma once

namespace io {

// A source of bytes that arrive in pieces of any size, such as a connected socket. The HTTP
// response reader takes one, so that its framing can be driven by a socket or by a test script.
class IInputStream {
public:
    virtual ~IInputStream() = default;

    // Reads at most size bytes into buffer. Returns the count read (> 0), 0 when the source
    // has ended (the peer closed), or a negative value on failure or timeout.
    virtual int Read(char* buffer, int size) = 0;
};

}  // namespace io
