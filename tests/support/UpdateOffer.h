#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <bcrypt.h>

#include <map>
#include <string>
#include <vector>

#include "support/ScriptedServer.h"
#include "util/IProperties.h"
#include "util/version/UpdateSignature.h"

// What the tests of the update check serve and sign.
namespace testsupport {

inline std::string Base64(const std::vector<UCHAR>& bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        size_t n = bytes.size() - i;
        uint32_t group = bytes[i] << 16 | (n > 1 ? bytes[i + 1] << 8 : 0) | (n > 2 ? bytes[i + 2] : 0);
        text += kDigits[group >> 18];
        text += kDigits[(group >> 12) & 63];
        text += n > 1 ? kDigits[(group >> 6) & 63] : '=';
        text += n > 2 ? kDigits[group & 63] : '=';
    }
    return text;
}

// A DER INTEGER of a 32-byte big-endian value: leading zeros dropped, a zero added before a set top bit.
inline std::vector<UCHAR> DerInteger(const UCHAR* value) {
    size_t skip = 0;
    while (skip < 31 && value[skip] == 0) {
        ++skip;
    }
    std::vector<UCHAR> der(value + skip, value + 32);
    if (der[0] & 0x80) {
        der.insert(der.begin(), 0);
    }
    der.insert(der.begin(), {0x02, static_cast<UCHAR>(der.size())});
    return der;
}

// A P-256 key pair made with CNG for a test, signing as openssl does (DER, base64).
class TestKey {
public:
    TestKey() {
        BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0);
        BCryptGenerateKeyPair(algorithm, &key, 256, 0);
        BCryptFinalizeKeyPair(key, 0);
    }
    ~TestKey() {
        BCryptDestroyKey(key);
        BCryptCloseAlgorithmProvider(algorithm, 0);
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    // Base64 of the SubjectPublicKeyInfo, as the program keeps its trusted key.
    std::wstring PublicKey() const {
        std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 64);
        ULONG size = 0;
        BCryptExportKey(key, nullptr, BCRYPT_ECCPUBLIC_BLOB, blob.data(), static_cast<ULONG>(blob.size()), &size, 0);
        std::vector<UCHAR> der = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x02, 0x01, 0x06,
                                  0x08, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
        der.insert(der.end(), blob.begin() + sizeof(BCRYPT_ECCKEY_BLOB), blob.end());
        std::string text = Base64(der);
        return std::wstring(text.begin(), text.end());
    }

    std::string Sign(const std::string& message) const {
        std::wstring hex = util::version::UpdateSignature::Sha256(message);
        UCHAR digest[32];
        for (int i = 0; i < 32; ++i) {
            digest[i] =
                static_cast<UCHAR>(std::stoi(std::string(hex.begin() + 2 * i, hex.begin() + 2 * i + 2), nullptr, 16));
        }
        UCHAR rs[64];
        ULONG size = 0;
        BCryptSignHash(key, nullptr, digest, sizeof(digest), rs, sizeof(rs), &size, 0);
        std::vector<UCHAR> r = DerInteger(rs);
        std::vector<UCHAR> s = DerInteger(rs + 32);
        std::vector<UCHAR> der = {0x30, static_cast<UCHAR>(r.size() + s.size())};
        der.insert(der.end(), r.begin(), r.end());
        der.insert(der.end(), s.begin(), s.end());
        return Base64(der);
    }

private:
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_KEY_HANDLE key = nullptr;
};

// Settings held in memory.
class MapProperties : public util::IProperties {
public:
    bool GetProperty(const wchar_t* name, String& value, const wchar_t*) override {
        auto found = values.find(name);
        value = found == values.end() ? String() : String(found->second.c_str());
        return found != values.end();
    }
    bool SetProperty(const wchar_t* name, const wchar_t* value, const wchar_t*) override {
        values[name] = value;
        return true;
    }
    std::map<std::wstring, std::wstring> values;
};

// An update server's reply offering version with the two files (served at filesAt), signed by key.
inline std::string SignedOffer(const std::string& version,
                               const TestKey& key,
                               const std::string& updater = "updater bytes",
                               const std::string& download = "program bytes",
                               const std::string& filesAt = "") {
    using util::version::UpdateSignature;
    std::string updaterSha = Ascii(UpdateSignature::Sha256(updater));
    std::string downloadSha = Ascii(UpdateSignature::Sha256(download));
    std::string signature = key.Sign("tarnwick-update\n" + version + "\n" + updaterSha + "\n" + downloadSha + "\n");
    return "<update><version>" + version + "</version><downloadUrl>" + filesAt + "/new.upd</downloadUrl>" +
           "<updaterUrl>" + filesAt + "/updater.exe</updaterUrl><updaterSha256>" + updaterSha +
           "</updaterSha256><downloadSha256>" + downloadSha + "</downloadSha256><signature>" + signature +
           "</signature></update>";
}

}  // namespace testsupport
