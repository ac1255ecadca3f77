#include "util/version/SignatureFormat.h"

#include <cstring>

namespace util {
namespace version {

namespace {

int Base64Value(wchar_t c) {
    if (c >= L'A' && c <= L'Z') {
        return c - L'A';
    }
    if (c >= L'a' && c <= L'z') {
        return c - L'a' + 26;
    }
    if (c >= L'0' && c <= L'9') {
        return c - L'0' + 52;
    }
    if (c == L'+') {
        return 62;
    }
    if (c == L'/') {
        return 63;
    }
    return -1;
}

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// The DER prefix of a P-256 SubjectPublicKeyInfo: id-ecPublicKey, prime256v1, then a bit string
// holding an uncompressed point (0x04 followed by X and Y).
const uint8_t kP256Prefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x02, 0x01, 0x06,
                               0x08, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};

// One DER INTEGER at at, of at most 32 significant bytes, right-aligned into out[32].
bool ReadInteger(const std::vector<uint8_t>& der, size_t& at, uint8_t* out) {
    if (at + 2 > der.size() || der[at] != 0x02) {
        return false;
    }
    size_t length = der[at + 1];
    at += 2;
    if (length == 0 || length > 33 || at + length > der.size()) {
        return false;
    }
    const uint8_t* value = der.data() + at;
    at += length;
    // DER has one form for each number: no negative ones (r and s are positive), and a leading
    // zero only where the next byte would read as a sign. Anything else is a forged variant.
    if ((value[0] & 0x80) || (length > 1 && value[0] == 0 && !(value[1] & 0x80))) {
        return false;
    }
    if (length == 33) {
        if (value[0] != 0) {
            return false;
        }
        ++value;
        --length;
    }
    std::memset(out, 0, 32 - length);
    std::memcpy(out + 32 - length, value, length);
    return true;
}

}  // namespace

bool SignatureFormat::DecodeBase64(const wchar_t* text, std::vector<uint8_t>& out) {
    out.clear();
    if (!text) {
        return false;
    }
    uint32_t group = 0;
    int count = 0;
    int padding = 0;
    for (const wchar_t* c = text; *c; ++c) {
        if (IsSpace(*c)) {
            continue;
        }
        int value = *c == L'=' ? 0 : Base64Value(*c);
        if (value < 0 || (padding && *c != L'=')) {
            return false;
        }
        padding += *c == L'=';
        group = (group << 6) | static_cast<uint32_t>(value);
        if (++count == 4) {
            // The bits the padding leaves over must be zero, so that one text means one value.
            if (padding > 2 || (group & (padding == 2 ? 0xFFFFu : padding == 1 ? 0xFFu : 0u)) != 0) {
                return false;
            }
            out.push_back(static_cast<uint8_t>(group >> 16));
            if (padding < 2) {
                out.push_back(static_cast<uint8_t>(group >> 8));
            }
            if (padding < 1) {
                out.push_back(static_cast<uint8_t>(group));
            }
            group = 0;
            count = 0;
            if (padding) {
                // Nothing but white space may follow the padding.
                for (++c; *c; ++c) {
                    if (!IsSpace(*c)) {
                        return false;
                    }
                }
                break;
            }
        }
    }
    return count == 0 && !out.empty();
}

bool SignatureFormat::ReadPublicKey(const std::vector<uint8_t>& der, uint8_t point[64]) {
    if (der.size() != sizeof(kP256Prefix) + 64 || std::memcmp(der.data(), kP256Prefix, sizeof(kP256Prefix)) != 0) {
        return false;
    }
    std::memcpy(point, der.data() + sizeof(kP256Prefix), 64);
    return true;
}

bool SignatureFormat::ReadSignature(const std::vector<uint8_t>& der, uint8_t rs[64]) {
    if (der.size() < 8 || der[0] != 0x30 || der[1] != der.size() - 2) {
        return false;
    }
    size_t at = 2;
    return ReadInteger(der, at, rs) && ReadInteger(der, at, rs + 32) && at == der.size();
}

}  // namespace version
}  // namespace util
