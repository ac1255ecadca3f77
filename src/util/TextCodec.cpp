#include "util/TextCodec.h"

#include <algorithm>
#include <vector>

#include "util/Platform.h"
#include "util/TextScan.h"

namespace util {
namespace {

constexpr bool kWide16 = sizeof(wchar_t) == 2;
constexpr unsigned long kReplacement = 0xFFFD;

bool IsLineBreakOrTab(unsigned char b) { return b >= 9 && b <= 13; }
bool IsPrintable(unsigned char b) { return b >= 32 && b <= 126; }

// Appends one code point as wide text; values beyond Unicode (from UTF-32 files) become U+FFFD.
void AppendCodePoint(std::wstring& out, unsigned long cp) {
    platform::AppendCodePoint(out, cp > 0x10FFFF ? kReplacement : cp);
}

// The code points of wide text; lone surrogates are kept as they are so that nothing is lost.
std::vector<unsigned long> CodePoints(const wchar_t* text, size_t count) {
    std::vector<unsigned long> points;
    points.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        unsigned long cp = static_cast<unsigned long>(text[i]) & (kWide16 ? 0xFFFFul : 0xFFFFFFFFul);
        if (kWide16 && cp >= 0xD800 && cp <= 0xDBFF && i + 1 < count) {
            unsigned long low = static_cast<unsigned long>(text[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        points.push_back(cp);
    }
    return points;
}

std::wstring DecodeUtf16(const unsigned char* bytes, size_t count, bool bigEndian) {
    std::vector<unsigned long> units;
    units.reserve(count / 2);
    for (size_t i = 0; i + 1 < count; i += 2) {
        units.push_back(bigEndian ? (bytes[i] << 8 | bytes[i + 1]) : (bytes[i + 1] << 8 | bytes[i]));
    }
    std::wstring out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        unsigned long cp = units[i];
        if (!kWide16 && cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        AppendCodePoint(out, cp);
    }
    return out;
}

std::wstring DecodeUtf32(const unsigned char* bytes, size_t count, bool bigEndian) {
    std::wstring out;
    out.reserve(count / 4);
    for (size_t i = 0; i + 3 < count; i += 4) {
        unsigned long cp = bigEndian ? (static_cast<unsigned long>(bytes[i]) << 24 | bytes[i + 1] << 16 |
                                        bytes[i + 2] << 8 | bytes[i + 3])
                                     : (static_cast<unsigned long>(bytes[i + 3]) << 24 | bytes[i + 2] << 16 |
                                        bytes[i + 1] << 8 | bytes[i]);
        AppendCodePoint(out, cp);
    }
    return out;
}

void AppendUnit16(std::string& out, unsigned long unit, bool bigEndian) {
    char high = static_cast<char>((unit >> 8) & 0xFF);
    char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

std::string EncodeUtf16(const wchar_t* text, size_t count, bool bigEndian) {
    std::string out;
    out.reserve(count * 2);
    for (unsigned long cp : CodePoints(text, count)) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            AppendUnit16(out, 0xD800 + (cp >> 10), bigEndian);
            AppendUnit16(out, 0xDC00 + (cp & 0x3FF), bigEndian);
        } else {
            AppendUnit16(out, cp, bigEndian);
        }
    }
    return out;
}

std::string EncodeUtf32(const wchar_t* text, size_t count, bool bigEndian) {
    std::string out;
    out.reserve(count * 4);
    for (unsigned long cp : CodePoints(text, count)) {
        for (int i = 0; i < 4; ++i) {
            int shift = bigEndian ? 24 - 8 * i : 8 * i;
            out += static_cast<char>((cp >> shift) & 0xFF);
        }
    }
    return out;
}

// The length (2-4) of the valid UTF-8 sequence of a non-ASCII lead byte at p, with its code point,
// or 0 when none starts there: overlong forms, surrogates, values past U+10FFFF and sequences cut
// by the end are not valid.
size_t Utf8Sequence(const unsigned char* p, size_t available, unsigned long& cp) {
    unsigned char b = p[0];
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        low = b == 0xE0 ? 0xA0 : 0x80;
        high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        low = b == 0xF0 ? 0x90 : 0x80;
        high = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (available < length || p[1] < low || p[1] > high) {
        return 0;
    }
    cp = b & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80) {
            return 0;
        }
        cp = cp << 6 | (p[k] & 0x3F);
    }
    return length;
}

// Writes one code point (at most U+10FFFF) at place, as a surrogate pair where wchar_t has 16 bits;
// returns the units written.
size_t PutCodePoint(wchar_t* place, unsigned long cp) {
    if (kWide16 && cp >= 0x10000) {
        place[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        place[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        return 2;
    }
    place[0] = static_cast<wchar_t>(cp);
    return 1;
}

// A child's output as UTF-8 into out; with fallback ("auto") each run of invalid bytes is taken in
// the ANSI code page (ansiLeadBytes as for DecodeOutput), without it each invalid byte is U+FFFD.
void DecodeUtf8Output(const char* bytes, size_t count, bool fallback, const bool* ansiLeadBytes, std::wstring& out) {
    // Written in place: ASCII runs widened in bulk, the sequences between them one by one. No
    // byte gives more than one unit (a four-byte sequence gives two), so what is left of the
    // input always fits in what is left of out; only the ANSI runs are checked.
    out.resize(count);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    size_t used = 0;     // units written
    size_t invalid = 0;  // start of the run of invalid bytes before i
    size_t i = 0;
    // The invalid run before i in the ANSI code page ("auto").
    auto takeInvalid = [&] {
        if (fallback && invalid < i) {
            std::wstring ansi = platform::AnsiToWide(bytes + invalid, i - invalid);
            out.resize(std::max(out.size(), used + ansi.size() + (count - i)));
            std::copy(ansi.begin(), ansi.end(), out.begin() + static_cast<std::ptrdiff_t>(used));
            used += ansi.size();
        }
    };
    while (i < count) {
        if (p[i] < 0x80) {
            takeInvalid();
            size_t run = TextScan::WidenAsciiRun(bytes + i, count - i, &out[used]);
            used += run;
            i = invalid = i + run;
            continue;
        }
        unsigned long cp = 0;
        size_t length = Utf8Sequence(p + i, count - i, cp);
        if (length == 0) {
            if (!fallback) {
                out[used++] = static_cast<wchar_t>(kReplacement);
            }
            // A double-byte character of the ANSI code page stays whole, its trail byte may be ASCII.
            i += fallback && ansiLeadBytes && ansiLeadBytes[p[i]] && i + 1 < count ? 2 : 1;
            continue;
        }
        takeInvalid();
        used += PutCodePoint(&out[used], cp);
        i = invalid = i + length;
    }
    takeInvalid();
    out.resize(used);
}

}  // namespace

size_t TextCodec::Utf8SequenceLength(const unsigned char* bytes, size_t available) {
    unsigned long cp = 0;
    return Utf8Sequence(bytes, available, cp);
}

void TextCodec::DecodeOutput(const char* bytes,
                             size_t count,
                             OutputEncoding::Mode mode,
                             std::wstring& out,
                             const bool* ansiLeadBytes) {
    out.clear();
    if (mode == OutputEncoding::Mode::Ansi) {
        out = platform::AnsiToWide(bytes, count);
    } else if (mode == OutputEncoding::Mode::Oem) {
        out = platform::OemToWide(bytes, count);
    } else {
        DecodeUtf8Output(bytes, count, mode == OutputEncoding::Mode::Auto, ansiLeadBytes, out);
    }
}

Encoding TextCodec::Classify(const unsigned char* b, size_t count) {
    if (count == 0) {
        return Unknown;
    }
    if (count == 1) {
        return IsLineBreakOrTab(b[0]) || IsPrintable(b[0]) ? Ansi : Unknown;
    }
    if (b[0] == 0xFE && b[1] == 0xFF) {
        return UTF16BE;
    }
    if (b[0] == 0xFF && b[1] == 0xFE) {
        return count >= 4 && b[2] == 0 && b[3] == 0 ? UTF32LE : UTF16LE;
    }
    if (b[0] == 0 && b[1] == 0 && count >= 4 && b[2] == 0xFE && b[3] == 0xFF) {
        return UTF32BE;
    }
    if (b[0] == 0xEF && b[1] == 0xBB && count >= 3 && b[2] == 0xBF) {
        return UTF8;
    }
    if (IsLineBreakOrTab(b[0]) || (IsPrintable(b[0]) && IsLineBreakOrTab(b[1])) || IsPrintable(b[1])) {
        return Ansi;
    }
    return Unknown;
}

std::wstring TextCodec::Decode8Bit(const char* bytes, size_t count) {
    std::wstring out;
    if (platform::Utf8ToWide(bytes, count, out)) {
        return out;
    }
    return platform::AnsiToWide(bytes, count);
}

std::string TextCodec::Mark(Encoding encoding) {
    switch (encoding) {
        case UTF8:
            return std::string("\xEF\xBB\xBF", 3);
        case UTF16BE:
            return std::string("\xFE\xFF", 2);
        case UTF16LE:
            return std::string("\xFF\xFE", 2);
        case UTF32BE:
            return std::string("\x00\x00\xFE\xFF", 4);
        case UTF32LE:
            return std::string("\xFF\xFE\x00\x00", 4);
        default:
            return std::string();
    }
}

Encoding TextCodec::Decode(const char* bytes, size_t count, Encoding detected, std::wstring& text) {
    const unsigned char* u = reinterpret_cast<const unsigned char*>(bytes);
    size_t skip = std::min(Mark(detected).size(), count);
    switch (detected) {
        case UTF8:
            text = Decode8Bit(bytes + skip, count - skip);
            return UTF8;
        case UTF16BE:
        case UTF16LE:
            text = DecodeUtf16(u + skip, count - skip, detected == UTF16BE);
            return UTF16LE;
        case UTF32BE:
        case UTF32LE:
            text = DecodeUtf32(u + skip, count - skip, detected == UTF32BE);
            return UTF16LE;
        default:
            break;
    }
    // No mark. One zero byte among the first two is how UTF-16 text of mostly Latin letters looks
    // (big-endian text starts with a zero and a printable byte, which the classification takes for 8-bit).
    if (count >= 2 && ((u[0] == 0) != (u[1] == 0))) {
        text = DecodeUtf16(u, count, u[0] == 0);
        return UTF16LE;
    }
    text = Decode8Bit(bytes, count);
    return Ansi;
}

std::string TextCodec::Encode(const wchar_t* text, size_t count, Encoding encoding) {
    switch (encoding) {
        case Ansi:
        case UTF8:
            return platform::WideToUtf8(text, count);
        case UTF16BE:
            return EncodeUtf16(text, count, true);
        case UTF32BE:
            return EncodeUtf32(text, count, true);
        case UTF32LE:
            return EncodeUtf32(text, count, false);
        default:
            return EncodeUtf16(text, count, false);
    }
}

}  // namespace util
