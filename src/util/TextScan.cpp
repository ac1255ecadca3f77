#include "util/TextScan.h"

#include <cstdint>
#include <cstring>
#include <cwchar>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Wide text is scanned in aligned blocks, which may read past its zero but never past the page
// that holds it; the address sanitizer cannot know that, so the wide scan is plain under it.
#if defined(__SSE2__) && WCHAR_MAX == 0xFFFF && !defined(__SANITIZE_ADDRESS__)
#define TEXTSCAN_WIDE_SSE2 1
#endif

const char* TextScan::FindZeroByte(const char* bytes, size_t count) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(block, zero));
        if (mask != 0) {
            return bytes + i + __builtin_ctz(static_cast<unsigned>(mask));
        }
    }
#endif
    for (; i < count; ++i) {
        if (bytes[i] == '\0') {
            return bytes + i;
        }
    }
    return nullptr;
}

size_t TextScan::WideLength(const wchar_t* text) {
    const wchar_t* p = text;
#if defined(TEXTSCAN_WIDE_SSE2)
    for (; reinterpret_cast<uintptr_t>(p) % 16 != 0; ++p) {
        if (*p == L'\0') {
            return static_cast<size_t>(p - text);
        }
    }
    const __m128i zero = _mm_setzero_si128();
    for (;; p += 8) {
        __m128i block = _mm_load_si128(reinterpret_cast<const __m128i*>(p));
        int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(block, zero));
        if (mask != 0) {
            return static_cast<size_t>(p - text) + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
        }
    }
#else
    while (*p != L'\0') {
        ++p;
    }
    return static_cast<size_t>(p - text);
#endif
}

bool TextScan::WidenAscii(const char* bytes, size_t count, wchar_t* out) {
    return WidenAsciiRun(bytes, count, out) == count;
}

size_t TextScan::WidenAsciiRun(const char* bytes, size_t count, wchar_t* out) {
    const unsigned char* in = reinterpret_cast<const unsigned char*>(bytes);
    size_t i = 0;
#if defined(__SSE2__) && (WCHAR_MAX == 0xFFFF || WCHAR_MAX == 0x7FFFFFFF)
    // A byte with its high bit set shows in the mask; zero-extending interleaves each byte with
    // zero bytes. A block is stored whole, also when the run ends inside it.
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        __m128i low = _mm_unpacklo_epi8(block, zero), high = _mm_unpackhi_epi8(block, zero);
#if WCHAR_MAX == 0xFFFF
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), high);
#else
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi16(low, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 4), _mm_unpackhi_epi16(low, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpacklo_epi16(high, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 12), _mm_unpackhi_epi16(high, zero));
#endif
        int mask = _mm_movemask_epi8(block);
        if (mask != 0) {
            return i + __builtin_ctz(static_cast<unsigned>(mask));
        }
    }
#endif
    for (; i < count; ++i) {
        if (in[i] & 0x80) {
            return i;
        }
        out[i] = in[i];
    }
    return count;
}

namespace {

bool IsPlain(unsigned long unit) {
    return (unit >= 0x20 && unit < 0x7F) || unit == '\t';
}

}  // namespace

bool TextScan::NarrowPlainLine(const wchar_t* text, size_t count, char* out) {
    size_t i = 0;
#if defined(__SSE2__) && WCHAR_MAX == 0xFFFF
    // Sixteen units at a time, compared as signed: below the blank (every unit from 0x8000 is
    // negative) or from DEL up refuses the block, unless it is a tab.
    const __m128i blank = _mm_set1_epi16(0x20);
    const __m128i del = _mm_set1_epi16(0x7E);
    const __m128i tab = _mm_set1_epi16(L'\t');
    for (; i + 16 <= count; i += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + 8));
        __m128i badA =
            _mm_andnot_si128(_mm_cmpeq_epi16(a, tab), _mm_or_si128(_mm_cmplt_epi16(a, blank), _mm_cmpgt_epi16(a, del)));
        __m128i badB =
            _mm_andnot_si128(_mm_cmpeq_epi16(b, tab), _mm_or_si128(_mm_cmplt_epi16(b, blank), _mm_cmpgt_epi16(b, del)));
        if (_mm_movemask_epi8(_mm_or_si128(badA, badB)) != 0) {
            break;  // the plain loop below finds the unit
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i < count; ++i) {
        if (!IsPlain(static_cast<unsigned long>(text[i]))) {
            return false;
        }
        out[i] = static_cast<char>(text[i]);
    }
    return true;
}

namespace {

#if defined(__SSE2__)
// The bytes of a that are not printable ASCII or tabs, as a bit mask (as signed bytes everything
// from 0x80 is negative, below the blank).
int NotPlainMask(__m128i a) {
    const __m128i blank = _mm_set1_epi8(0x20);
    const __m128i tilde = _mm_set1_epi8(0x7E);
    const __m128i tab = _mm_set1_epi8('\t');
    __m128i bad =
        _mm_andnot_si128(_mm_cmpeq_epi8(a, tab), _mm_or_si128(_mm_cmplt_epi8(a, blank), _mm_cmpgt_epi8(a, tilde)));
    return _mm_movemask_epi8(bad);
}
#endif

}  // namespace

size_t TextScan::PlainAsciiLength(const char* bytes, size_t count) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= count; i += 16) {
        int mask = NotPlainMask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i)));
        if (mask != 0) {
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    while (i < count && IsPlain(static_cast<unsigned char>(bytes[i]))) {
        ++i;
    }
    return i;
}

size_t TextScan::CopyPlainAscii(const char* bytes, size_t count, char* out) {
    size_t i = 0;
#if defined(__SSE2__)
    // Each block is stored whole before it is looked at: the copy costs no second pass, and what
    // it wrote past the run's end is the caller's to overwrite.
    for (; i + 16 <= count; i += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), a);
        int mask = NotPlainMask(a);
        if (mask != 0) {
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    for (; i < count && IsPlain(static_cast<unsigned char>(bytes[i])); ++i) {
        out[i] = bytes[i];
    }
    return i;
}
