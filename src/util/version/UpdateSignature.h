#pragma once

#include <string>

#include "util/String.h"

namespace util {
namespace version {

// Hashes and signature checks of updates, with the system's own cryptography (CNG).
class UpdateSignature {
public:
    // Lower-case hexadecimal SHA-256 of bytes; empty when the system cannot hash.
    static std::wstring Sha256(const std::string& bytes);
    // The same for a file's contents; empty when the file cannot be read.
    static std::wstring FileSha256(const wchar_t* path);

    // True when signatureBase64 (DER, base64) is a valid ECDSA P-256 signature of SHA-256 of
    // message under publicKeyBase64 (SubjectPublicKeyInfo DER, base64). Malformed input of any
    // kind gives false.
    static bool Verify(const wchar_t* publicKeyBase64, const std::string& message, const wchar_t* signatureBase64);
};

}  // namespace version
}  // namespace util
