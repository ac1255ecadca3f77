#pragma once

#include <cstddef>
#include <string>

#include "util/Encoding.h"
#include "util/OutputEncoding.h"

namespace util {

// Conversions between file bytes and the program's wide text, free of Windows so that they are
// tested natively as well. Every function accepts any bytes: malformed input never fails, it is
// read in the most forgiving way (invalid UTF-8 falls back to the ANSI code page).
class TextCodec {
public:
    // The encoding that the first bytes of a file announce: a byte-order mark, else Ansi when the
    // start looks like 8-bit text, else Unknown. count 0 gives Unknown (callers keep their own
    // value for empty files). A single byte is Ansi when it is printable or a line-break character.
    static Encoding Classify(const unsigned char* bytes, size_t count);

    // The mark bytes of encoding (empty for Ansi and Unknown).
    static std::string Mark(Encoding encoding);

    // Decodes a whole file whose start was classified as detected. The mark is skipped. Returns
    // the encoding to save the text in so that it reads back the same: Ansi (UTF-8 without a mark)
    // for text without a mark that is not UTF-16, UTF8 after a UTF-8 mark, UTF16LE for UTF-16 and
    // UTF-32 files. Text without a mark that is not valid UTF-8 is taken in the ANSI code page;
    // text without a mark whose first two bytes hold one zero is taken as UTF-16 without mark.
    static Encoding Decode(const char* bytes, size_t count, Encoding detected, std::wstring& text);

    // 8-bit text without a mark: UTF-8 when the bytes are valid UTF-8, otherwise the ANSI code page.
    static std::wstring Decode8Bit(const char* bytes, size_t count);

    // A child's output in mode, into out (emptied first). Auto decodes each valid UTF-8 sequence
    // as UTF-8 and each run of bytes between them that is not valid UTF-8 in the ANSI code page;
    // with ansiLeadBytes (256 flags, for a double-byte ANSI code page) a lead byte in such a run
    // takes the byte after it along, whatever that is. Utf8 shows every byte of an invalid
    // sequence as U+FFFD; Ansi and Oem use those code pages. The caller keeps a character cut by
    // the end of a read for the next one (ChunkAssembler): an incomplete one at the end is invalid.
    static void DecodeOutput(const char* bytes,
                             size_t count,
                             OutputEncoding::Mode mode,
                             std::wstring& out,
                             const bool* ansiLeadBytes = nullptr);
    // The length (2-4) of the valid UTF-8 sequence of the non-ASCII byte at bytes, or 0 when none
    // starts there (overlong forms, surrogates, values past U+10FFFF, cut by the end).
    static size_t Utf8SequenceLength(const unsigned char* bytes, size_t available);

    // The bytes of text in encoding, without a mark: UTF-8 for Ansi and UTF8, code units in the
    // given order for UTF-16 and UTF-32, UTF-16LE for Unknown.
    static std::string Encode(const wchar_t* text, size_t count, Encoding encoding);
};

}  // namespace util
