#pragma once

#include <cstdint>

#include "io/OutputStreamBase.h"
#include "util/String.h"

namespace io {

// Bytes kept in memory. The block grows geometrically, so that receiving a large body in many
// small writes costs time linear in its size; GetSize and GetData still give exactly the bytes
// written. The bytes are not terminated by a zero byte: use GetText for text.
class ByteArrayOutputStream : public OutputStreamBase {
public:
    ByteArrayOutputStream();
    ~ByteArrayOutputStream() override;
    ByteArrayOutputStream(const ByteArrayOutputStream&) = delete;
    ByteArrayOutputStream& operator=(const ByteArrayOutputStream&) = delete;

    void Reset() override;
    // Raises an Exception (and keeps every byte written so far) when the block cannot grow.
    void Write(const void* data, uint32_t n) override;

    // Makes room for at least capacity bytes in all, so that writes up to that size do not
    // move the block again. Raises like Write when the memory is not there.
    void Reserve(uint32_t capacity);

    // The bytes written, or null when there are none; valid until the next Write or Reset.
    const char* GetData() const { return data; }
    // The bytes as text converted from the system ANSI code page, up to the first zero byte.
    // Converted again only after a Write or Reset.
    const String& GetText();

    // The capacity a block of capacity bytes grows to when needed bytes must fit: double while
    // small, then by half, never by more than 64 MB at once, never beyond 4 GB - 1.
    static uint64_t NextCapacity(uint32_t capacity, uint64_t needed);

private:
    void Grow(uint64_t needed);

    char* data;         // owned; capacity bytes, of which count are used
    uint32_t capacity;
    String text;
    bool textStale;
};

}  // namespace io
