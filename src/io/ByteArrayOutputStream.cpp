#include "io/ByteArrayOutputStream.h"

#include <cstdlib>
#include <cstring>

#include "util/Exception.h"

namespace io {

namespace {

const uint64_t kMaxCapacity = 0xFFFFFFFFu;
// From this capacity on, the block grows by half instead of doubling, and by no more than
// kMaxSpare at a time.
const uint32_t kLargeBlock = 1024u * 1024u;
const uint64_t kMaxSpare = 64u * 1024u * 1024u;

}  // namespace

ByteArrayOutputStream::ByteArrayOutputStream() : data(nullptr), capacity(0), textStale(true) {
    className = L"ByteArrayOutputStream";
    text = L"";
}

ByteArrayOutputStream::~ByteArrayOutputStream() { std::free(data); }

void ByteArrayOutputStream::Reset() {
    std::free(data);
    data = nullptr;
    capacity = 0;
    count = 0;
    textStale = true;
}

void ByteArrayOutputStream::Grow(uint64_t needed) {
    if (needed > kMaxCapacity) {
        throw new Exception(L"ByteArrayOutputStream::Write()\nThe stream cannot hold %I64u bytes.",
                            static_cast<unsigned long long>(needed));
    }
    uint64_t wanted = NextCapacity(capacity, needed);
    // realloc leaves the old block untouched when it fails, so no byte is lost. The generous
    // size may be what failed: settle for less, down to the exact size.
    void* grown = std::realloc(data, static_cast<size_t>(wanted));
    while (!grown && wanted > needed) {
        wanted = needed + (wanted - needed) / 2;
        grown = std::realloc(data, static_cast<size_t>(wanted));
    }
    if (!grown) {
        throw new Exception(L"ByteArrayOutputStream::Write()\nOut of memory growing the stream to %I64u bytes.",
                            static_cast<unsigned long long>(needed));
    }
    data = static_cast<char*>(grown);
    capacity = static_cast<uint32_t>(wanted);
}

// Geometric growth keeps the bytes moved per byte written constant. Large blocks grow by a
// smaller factor with a bounded spare: a 32-bit process has no room for a block of several times
// the body (130 MB must not ask for 1 GB), and a failed attempt would still cost the move.
uint64_t ByteArrayOutputStream::NextCapacity(uint32_t capacity, uint64_t needed) {
    uint64_t spare = capacity < kLargeBlock ? capacity : capacity / 2;
    if (spare > kMaxSpare) {
        spare = kMaxSpare;
    }
    uint64_t wanted = uint64_t(capacity) + spare;
    if (wanted < needed) {
        wanted = needed;
    }
    return wanted < kMaxCapacity ? wanted : kMaxCapacity;
}

void ByteArrayOutputStream::Reserve(uint32_t wanted) {
    if (wanted <= capacity) {
        return;
    }
    void* grown = std::realloc(data, wanted);
    if (!grown) {
        throw new Exception(L"ByteArrayOutputStream::Reserve()\nOut of memory reserving %u bytes.", wanted);
    }
    data = static_cast<char*>(grown);
    capacity = wanted;
}

void ByteArrayOutputStream::Write(const void* bytes, uint32_t n) {
    if (n == 0) {
        return;
    }
    uint64_t needed = uint64_t(count) + n;
    if (needed > capacity) {
        Grow(needed);
    }
    std::memcpy(data + count, bytes, n);
    count = static_cast<uint32_t>(needed);
    textStale = true;
}

const String& ByteArrayOutputStream::GetText() {
    if (textStale) {
        text = String(data ? data : "", count);
        if (text.IsNull()) {
            text = L"";
        }
        textStale = false;
    }
    return text;
}

}  // namespace io
