#include "common/ChunkAssembler.h"

#include <cstring>

#include "util/TextCodec.h"
#include "util/TextScan.h"

ChunkAssembler::ChunkAssembler() : kind(Kind::SingleByte), lead(), autoDoubleByte(false), carry(), carried(0) {}

void ChunkAssembler::SetLeadBytes(const bool* leadBytes) {
    kind = Kind::DoubleByte;
    std::memcpy(lead, leadBytes, sizeof(lead));
    carried = 0;
}

void ChunkAssembler::SetUtf8() {
    kind = Kind::Utf8;
    carried = 0;
}

void ChunkAssembler::SetAuto(const bool* leadBytes) {
    kind = Kind::Auto;
    autoDoubleByte = leadBytes != nullptr;
    if (leadBytes) {
        std::memcpy(lead, leadBytes, sizeof(lead));
    }
    carried = 0;
}

size_t ChunkAssembler::Take(char* buffer, size_t chunkLength, char** start) {
    char* begin = buffer + MaxCarry - carried;
    std::memcpy(begin, carry, carried);
    size_t total = carried + chunkLength;
    carried = 0;
    // Zero bytes would end the text at conversion; they carry nothing readable, so they go.
    // Most chunks have none.
    size_t kept = total;
    const char* zero = TextScan::FindZeroByte(begin, total);
    if (zero) {
        kept = static_cast<size_t>(zero - begin);
        for (size_t i = kept; i < total; ++i) {
            if (begin[i] != '\0') {
                begin[kept++] = begin[i];
            }
        }
    }
    size_t complete = CompleteLength(reinterpret_cast<const unsigned char*>(begin), kept);
    carried = kept - complete;
    std::memcpy(carry, begin + complete, carried);
    *start = begin;
    return complete;
}

size_t ChunkAssembler::Flush(char* target) {
    size_t count = carried;
    std::memcpy(target, carry, count);
    carried = 0;
    return count;
}

size_t ChunkAssembler::CompleteLength(const unsigned char* bytes, size_t count) const {
    if (kind == Kind::DoubleByte) {
        // Lead bytes can also be trail bytes, so only a walk from the start tells the two apart.
        size_t i = 0;
        while (i < count) {
            if (lead[bytes[i]]) {
                if (i + 1 == count) {
                    return i;  // the lead byte's partner is in the next chunk
                }
                i += 2;
            } else {
                ++i;
            }
        }
        return count;
    }
    if (kind == Kind::Utf8) {
        return Utf8CompleteLength(bytes, count);
    }
    if (kind == Kind::Auto) {
        size_t complete = Utf8CompleteLength(bytes, count);
        if (!autoDoubleByte) {
            return complete;
        }
        // A lone lead byte before a cut UTF-8 sequence could pass what the carry holds: then it
        // goes now, and the code page shows what it can of it.
        size_t walked = AutoCompleteLength(bytes, complete);
        return count - walked <= MaxCarry ? walked : complete;
    }
    return count;
}

size_t ChunkAssembler::Utf8CompleteLength(const unsigned char* bytes, size_t count) const {
    // Look back over at most three continuation bytes for the sequence's first byte.
    size_t back = 0;
    while (back < MaxCarry && back < count && (bytes[count - 1 - back] & 0xC0) == 0x80) {
        ++back;
    }
    if (back == count) {
        return count;  // only continuation bytes: invalid, converted as they are
    }
    unsigned char first = bytes[count - 1 - back];
    size_t expected = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    return back + 1 < expected ? count - 1 - back : count;
}

size_t ChunkAssembler::AutoCompleteLength(const unsigned char* bytes, size_t count) const {
    // The decoder's own walk: ASCII, whole UTF-8 sequences, and outside them the ANSI code page's
    // characters of one or two bytes. Only a walk from the start tells a lead byte from a trail byte.
    size_t i = 0;
    while (i < count) {
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        size_t length = util::TextCodec::Utf8SequenceLength(bytes + i, count - i);
        if (length > 0) {
            i += length;
        } else if (lead[bytes[i]]) {
            if (i + 1 == count) {
                return i;  // the lead byte's partner is in the next chunk
            }
            i += 2;
        } else {
            ++i;
        }
    }
    return count;
}
