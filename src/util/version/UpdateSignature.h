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
    // The same for the whole contents of an open file (read from its start); empty when it
    // cannot be read. The caller's handle decides who else may change the file meanwhile.
    static std::wstring FileSha256(void* file);

    // True when signatureBase64 (DER, base64) is a valid ECDSA P-256 signature of SHA-256 of
    // message under publicKeyBase64 (SubjectPublicKeyInfo DER, base64). Malformed input of any
    // kind gives false.
    static bool Verify(const wchar_t* publicKeyBase64, const std::string& message, const wchar_t* signatureBase64);
};

}  // namespace version
}  // namespace util
