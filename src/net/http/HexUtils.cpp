#include "net/http/HexUtils.h"

#include <cwchar>

#include "util/Exception.h"

namespace net {
namespace http {
namespace HexUtils {

namespace {

int HexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    if (c == L' ') {
        return 0;
    }
    return -1;
}

bool IsWhiteSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

}  // namespace

uint32_t HexStringToInteger(const wchar_t* text) {
    if (!text) {
        return 0;
    }
    size_t length = std::wcslen(text);
    while (length > 0 && text[length - 1] == L' ') {
        --length;
    }
    uint32_t value = 0;
    for (size_t k = 0; k < length; ++k) {
        wchar_t c = text[length - 1 - k];
        int digit = HexDigitValue(c);
        if (digit < 0) {
            throw new Exception(L"HexUtils::HexStringToInteger(%s) %c not an hex digit.", text, c);
        }
        if (digit == 0) {
            continue;
        }
        // A wrapped value would let a chunk size pass as a small one.
        if (k >= 8) {
            throw new Exception(L"HexUtils::HexStringToInteger(%s) value exceeds 32 bits.", text);
        }
        value += static_cast<uint32_t>(digit) << (4 * k);
    }
    return value;
}

int64_t DecimalStringToInteger64(const wchar_t* text) {
    if (!text) {
        return 0;
    }
    while (IsWhiteSpace(*text)) {
        ++text;
    }
    bool negative = false;
    if (*text == L'+' || *text == L'-') {
        negative = *text == L'-';
        ++text;
    }
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    uint64_t value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        uint64_t digit = static_cast<uint64_t>(*text - L'0');
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    if (negative) {
        return value == uint64_t(INT64_MAX) + 1 ? INT64_MIN : -static_cast<int64_t>(value);
    }
    return static_cast<int64_t>(value);
}

int32_t DecimalStringToInteger(const wchar_t* text) {
    int64_t value = DecimalStringToInteger64(text);
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

}  // namespace HexUtils
}  // namespace http
}  // namespace net
