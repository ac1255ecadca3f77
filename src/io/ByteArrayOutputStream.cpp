#include "io/ByteArrayOutputStream.h"

#include <cstdlib>
#include <cstring>

#include "util/Exception.h"

namespace io {

namespace {

const uint64_t kMaxCapacity = 0xFFFFFFFFu;

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
    // Doubling keeps the bytes moved per byte written constant. Pages of the spare room are only
    // touched as bytes arrive, and every move touches fresh memory, which costs more than the
    // copy itself: fewer, larger moves are cheaper than a tighter fit.
    uint64_t wanted = uint64_t(capacity) * 2;
    if (wanted < needed) {
        wanted = needed;
    }
    if (wanted > kMaxCapacity) {
        wanted = kMaxCapacity;
    }
    // realloc leaves the old block untouched when it fails, so no byte is lost.
    void* grown = std::realloc(data, static_cast<size_t>(wanted));
    if (!grown && wanted > needed) {
        wanted = needed;  // the generous size may be what failed: try the exact one
        grown = std::realloc(data, static_cast<size_t>(wanted));
    }
    if (!grown) {
        throw new Exception(L"ByteArrayOutputStream::Write()\nOut of memory growing the stream to %I64u bytes.",
                            static_cast<unsigned long long>(needed));
    }
    data = static_cast<char*>(grown);
    capacity = static_cast<uint32_t>(wanted);
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
