#pragma once

#include <cstdint>

namespace net {
namespace http {

// Number reading for the HTTP client: chunk sizes in hexadecimal, ports, lengths and status
// codes in decimal.
namespace HexUtils {

// Reads a hexadecimal text from its last character to its first. Trailing spaces are ignored;
// a space elsewhere counts as the digit 0; an empty text gives 0. Raises an Exception for any
// other character that is not a hexadecimal digit, and for values beyond 32 bits.
uint32_t HexStringToInteger(const wchar_t* text);

// Reads a decimal number as the C runtime's atoi does: leading white space and one sign are
// accepted, reading stops at the first character that is not a digit, text without digits (or
// null) gives 0. Values beyond the 32-bit range are clamped to it.
int32_t DecimalStringToInteger(const wchar_t* text);

// The same reading in 64 bits, for byte counts; clamped to the 64-bit range.
int64_t DecimalStringToInteger64(const wchar_t* text);

}  // namespace HexUtils

}  // namespace http
}  // namespace net
