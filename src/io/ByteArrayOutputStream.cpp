#include "io/ByteArrayOutputStream.h"

#include <cstdlib>
#include <cstring>

#include "util/Exception.h"

namespace io {

namespace {

const uint64_t kMaxCapacity = 0xFFFFFFFFu;
// From this capacity on, the block grows by kLargeGrowth instead of doubling.
const uint32_t kLargeBlock = 1024u * 1024u;
const uint64_t kLargeGrowth = 8;

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
    uint64_t wanted = NextCapacity(needed);
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

// Geometric growth keeps the bytes moved per byte written constant. For large blocks, the cost
// that counts is not the copy but the first touch of fresh memory (page faults): each move
// leaves the old, fully touched block behind, and at a factor of 2 those blocks add up to one
// and a half times the final size on average. Spare room costs no physical memory until bytes
// arrive in it, so large blocks grow by 8, which leaves about half the final size behind.
uint64_t ByteArrayOutputStream::NextCapacity(uint64_t needed) const {
    uint64_t factor = capacity < kLargeBlock ? 2 : kLargeGrowth;
    uint64_t wanted = uint64_t(capacity) * factor;
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
