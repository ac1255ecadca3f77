#pragma once

#include <map>
#include <string>

#include "support/ScriptedServer.h"
#include "util/IProperties.h"
#include "util/version/UpdateSignature.h"

// What the tests of the update check serve and sign.
namespace testsupport {

// Update keys made with tools/sign-update for the tests and thrown away, with what they signed:
// updates whose files are "updater bytes" and "program bytes". Only the version and the files'
// hashes are signed, so an offer may name the files at any address.
class TestKey {
public:
    // The key the tests trust, or another maker's key, which signed 1.0.15 alone.
    explicit TestKey(bool trusted = true) : trusted(trusted) {}

    // Base64 of the SubjectPublicKeyInfo, as the program keeps its trusted key.
    std::wstring PublicKey() const {
        return trusted ? L"MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAE4HSi6YeHA5RBtH1S3OkMz4gEJs7MCq0Za0HJvdvDj0twrSs0o67Qyx"
                         L"+nGZQupbEJ+b8SQ66DajiMTiXNUu6t2w=="
                       : L"MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAENqvAJDmEEwUAVaWcmFWqZzG0UDG4Uei6uj9WjjXUGzp9DS22NgyMAs"
                         L"caUogK5Y0p36A7IIQayEOZmJZTly2HYA==";
    }
    // The signature (DER, base64) of that update of version; empty where the key signed none.
    std::string Signature(const std::string& version) const {
        if (!trusted) {
            return version == "1.0.15" ? "MEUCIGRHOJdXaQecaL0zU4TLM8RAgzfnl4oZ/g0KSi3o7XRcAiEAr0p7tWh9hztfI9kfx5hmRUfE"
                                         "tlxu3UaOfLkTZ2Aez6M="
                                       : "";
        }
        if (version == "1.0.14") {
            return "MEYCIQDATv8p+TfUJ+qDOB4Lb3AB/Nu/M4Wcbm8SV/SqZsY2PwIhAPwmSIV/LbSkqUXX7uRPsPNzmxQQ8pmHPW1QljwKaqHS";
        }
        return version == "1.0.15"
                   ? "MEUCIHi97t0e6PE9ZAq7MOdbG8mUkXE/vCoxvSXY62khDga8AiEA8QubfdvyVvgjCMrG1SHa3EmUtpPXTi2jR"
                     "qmEI4uQ1JY="
                   : "";
    }

private:
    bool trusted;
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

// An update server's reply offering version with the two files (served at filesAt), signed by key:
// the signature holds for the files of TestKey alone, so other bytes make an offer that fails its check.
inline std::string SignedOffer(const std::string& version,
                               const TestKey& key,
                               const std::string& updater = "updater bytes",
                               const std::string& download = "program bytes",
                               const std::string& filesAt = "") {
    using util::version::UpdateSignature;
    return "<update><version>" + version + "</version><downloadUrl>" + filesAt + "/new.upd</downloadUrl>" +
           "<updaterUrl>" + filesAt + "/updater.exe</updaterUrl><updaterSha256>" +
           Ascii(UpdateSignature::Sha256(updater)) + "</updaterSha256><downloadSha256>" +
           Ascii(UpdateSignature::Sha256(download)) + "</downloadSha256><signature>" + key.Signature(version) +
           "</signature></update>";
}

}  // namespace testsupport
