#include "util/version/UpdateSignature.h"

#include <windows.h>
// after windows.h, which it needs
#include <bcrypt.h>

#include <cstring>
#include <vector>

#include "util/version/SignatureFormat.h"

namespace util {
namespace version {

namespace {

// One SHA-256 computation fed in pieces.
class Hasher {
public:
    Hasher() {
        if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) {
            algorithm = nullptr;
        } else if (BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) != 0) {
            hash = nullptr;
        }
    }
    ~Hasher() {
        if (hash) {
            BCryptDestroyHash(hash);
        }
        if (algorithm) {
            BCryptCloseAlgorithmProvider(algorithm, 0);
        }
    }
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;

    bool Add(const void* data, ULONG size) {
        return hash && BCryptHashData(hash, static_cast<PUCHAR>(const_cast<void*>(data)), size, 0) == 0;
    }
    bool Finish(UCHAR (&digest)[32]) { return hash && BCryptFinishHash(hash, digest, sizeof(digest), 0) == 0; }

private:
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
};

std::wstring Hex(const UCHAR (&digest)[32]) {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text;
    for (UCHAR byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

bool VerifyDigest(const uint8_t (&point)[64], const UCHAR (&digest)[32], uint8_t (&rs)[64]) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) != 0) {
        return false;
    }
    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + sizeof(point));
    BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob.data(), &header, sizeof(header));
    std::memcpy(blob.data() + sizeof(header), point, sizeof(point));
    BCRYPT_KEY_HANDLE key = nullptr;
    bool valid = false;
    if (BCryptImportKeyPair(algorithm, nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob.data(),
                            static_cast<ULONG>(blob.size()), 0) == 0) {
        valid = BCryptVerifySignature(key, nullptr, const_cast<UCHAR*>(digest), sizeof(digest), rs, sizeof(rs), 0) == 0;
        BCryptDestroyKey(key);
    }
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return valid;
}

}  // namespace

std::wstring UpdateSignature::Sha256(const std::string& bytes) {
    Hasher hasher;
    UCHAR digest[32];
    bool done = hasher.Add(bytes.data(), static_cast<ULONG>(bytes.size())) && hasher.Finish(digest);
    return done ? Hex(digest) : std::wstring();
}

std::wstring UpdateSignature::FileSha256(void* file) {
    if (file == INVALID_HANDLE_VALUE || SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        return std::wstring();
    }
    Hasher hasher;
    std::vector<char> buffer(64 * 1024);
    DWORD read = 0;
    bool ok = true;
    while (ok && (ok = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) != 0) &&
           read > 0) {
        ok = hasher.Add(buffer.data(), read);
    }
    UCHAR digest[32];
    return ok && hasher.Finish(digest) ? Hex(digest) : std::wstring();
}

bool UpdateSignature::Verify(const wchar_t* publicKeyBase64,
                             const std::string& message,
                             const wchar_t* signatureBase64) {
    std::vector<uint8_t> keyDer;
    std::vector<uint8_t> signatureDer;
    uint8_t point[64];
    uint8_t rs[64];
    if (!SignatureFormat::DecodeBase64(publicKeyBase64, keyDer) || !SignatureFormat::ReadPublicKey(keyDer, point) ||
        !SignatureFormat::DecodeBase64(signatureBase64, signatureDer) ||
        !SignatureFormat::ReadSignature(signatureDer, rs)) {
        return false;
    }
    Hasher hasher;
    UCHAR digest[32];
    return hasher.Add(message.data(), static_cast<ULONG>(message.size())) && hasher.Finish(digest) &&
           VerifyDigest(point, digest, rs);
}

}  // namespace version
}  // namespace util
