#pragma once

#include <cstddef>

// Prepares chunks of a child's 8-bit output for conversion: zero bytes are dropped, and a
// character cut by the end of a chunk is kept back and put in front of the next chunk, so that
// it is never converted in two halves. Knows the code page only through its lead bytes (double-
// byte code pages) or the UTF-8 flag. Free of Windows calls so that it is tested natively.
class ChunkAssembler {
public:
    // Most bytes ever kept back (a UTF-8 sequence of four bytes lacks at most three).
    static const size_t MaxCarry = 3;

    // A single-byte code page: nothing is kept back.
    ChunkAssembler();
    // leadBytes: 256 flags, true for the lead bytes of a double-byte code page.
    void SetLeadBytes(const bool* leadBytes);
    void SetUtf8();
    // Output decoded as "auto" (UTF-8 where valid, else the ANSI code page): an incomplete UTF-8
    // sequence is kept back, and with leadBytes (a double-byte ANSI code page; may be null) also
    // a lead byte of the ANSI code page that ends the chunk outside any UTF-8 sequence.
    void SetAuto(const bool* leadBytes);

    // The buffer has MaxCarry free bytes at its start; the chunk follows at buffer + MaxCarry.
    // Puts the kept bytes in front of the chunk, drops zero bytes and keeps back an incomplete
    // last character. Sets *start to the first byte to convert and returns how many to convert.
    size_t Take(char* buffer, size_t chunkLength, char** start);
    // Bytes still kept back (the output ended inside a character); Flush hands them out.
    size_t Pending() const { return carried; }
    size_t Flush(char* target);

private:
    size_t CompleteLength(const unsigned char* bytes, size_t count) const;

    size_t Utf8CompleteLength(const unsigned char* bytes, size_t count) const;
    // Where a chunk taken as "auto" would leave a lead byte of the ANSI code page without partner.
    size_t AutoCompleteLength(const unsigned char* bytes, size_t count) const;

    enum class Kind { SingleByte, DoubleByte, Utf8, Auto };
    Kind kind;
    bool lead[256];
    bool autoDoubleByte;  // Auto with lead bytes
    char carry[MaxCarry];
    size_t carried;
};
