#pragma once

#include <cstdint>
#include <vector>

namespace util {
namespace version {

// The encodings around an update's signature, read strictly: they come from the network.
class SignatureFormat {
public:
    // Standard base64 (white space between the characters allowed, padding required to a whole
    // group). False for anything else.
    static bool DecodeBase64(const wchar_t* text, std::vector<uint8_t>& out);

    // The 64 bytes X and Y of a P-256 public key from its SubjectPublicKeyInfo DER (the form
    // that "openssl pkey -pubout -outform DER" writes, uncompressed point). False for anything
    // but exactly that.
    static bool ReadPublicKey(const std::vector<uint8_t>& der, uint8_t point[64]);

    // An ECDSA signature as DER SEQUENCE { INTEGER r, INTEGER s } (what openssl writes) to the
    // 64 bytes r || s that CNG verifies. False for malformed DER or values beyond 32 bytes.
    static bool ReadSignature(const std::vector<uint8_t>& der, uint8_t rs[64]);
};

}  // namespace version
}  // namespace util
