#pragma once

#include <cstdint>

namespace io {

// A sink of bytes: the network code hands what it receives on through this interface.
class IOutputStream {
public:
    virtual ~IOutputStream() = default;

    // Bytes written since construction or the last Reset.
    virtual uint32_t GetSize() = 0;
    // Discards what was written.
    virtual void Reset() = 0;
    // Appends count bytes from data; raises an Exception when they cannot be kept.
    virtual void Write(const void* data, uint32_t count) = 0;
};

}  // namespace io
