#pragma once

#include <map>
#include <string>

#include "support/ScriptedServer.h"
#include "util/IProperties.h"
#include "util/version/UpdateSignature.h"

// What the tests of the update check serve and sign.
namespace testsupport {

// Update keys made with tools/sign-update for the tests and thrown away, with what they signed
// (issued 2026-12-01, expiring 2027-06-30): offers whose files are "updater bytes" and "program
// bytes", and one message. The URLs are not signed, so an offer may name the files at any address.
const char* const kIssued = "2026-12-01";
const char* const kExpires = "2027-06-30";
// The message the trusted key signed, as the reply carries it (XML-escaped) and as it reads.
const char* const kSignedMessageXml = "Down for &lt;maintenance&gt; &amp; more";
const wchar_t* const kSignedMessage = L"Down for <maintenance> & more";

class TestKey {
public:
    // The key the tests trust, or another maker's key, which signed 1.0.15 alone.
    explicit TestKey(bool trusted = true) : trusted(trusted) {}

    // Base64 of the SubjectPublicKeyInfo, as the program keeps its trusted key.
    std::wstring PublicKey() const {
        return trusted ? L"MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEtPXIDsEdN+PLx+PAxCG9Hg9aToDQ2fZ82+omRqYtVAvaq/"
                         L"ID1omaA+PQivdin67k9O9T3dj9ceL5xFPxyhDCDw=="
                       : L"MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAE+ZLBEqdHe2S15s6S+q+/6KBx+3jbvbTmvxzbl0WYedNXx11YIXJPD/"
                         L"e5DVUi2VgqwZ8d0+wQyEA74etx9ue3mg==";
    }
    // The signature (DER, base64) of that offer of version; empty where the key signed none.
    std::string Signature(const std::string& version) const {
        if (!trusted) {
            return version == "1.0.15" ? "MEQCIETJuXbojJAT8jWfeA8cOELUM5IbBx7y6TMxd4qeXvsbAiBl0EknQvDp6oWgjALrhcZk7QQfmD3N"
                                         "woirOOEW+bXcrA=="
                                       : "";
        }
        if (version == "1.0.14") {
            return "MEYCIQD5P4Yu8mwel0tCfTICzxc+hGXQKbeNcB5RuJtiJfGnUAIhAK4a8rs47zNNAh0Tx38mGqq2FhO06HjKIywn2eTdikkP";
        }
        return version == "1.0.15"
                   ? "MEUCIQDzh3tWTXoq9T6Lf5fPuYUpawtWq3Xn3+wJHkRq1YNA/QIgLSaJQI6RcbfVZIKRIbDbw/oRr5KwHs0d/1FQAZ+14aw="
                   : "";
    }
    // The trusted key's signature of kSignedMessage.
    static std::string MessageSignature() {
        return "MEUCICNAi6/JsQ8PG2FQLsa1XG4fFjLqvw5Qmegnf8QqLidtAiEAquYYyfOQbTjZP3LMXQ5ftAjg8pCQLVLrZuxXf3KyEIY=";
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
                               const std::string& filesAt = "http://127.0.0.1:1") {
    using util::version::UpdateSignature;
    return std::string("<update><issued>") + kIssued + "</issued><expires>" + kExpires + "</expires><version>" +
           version + "</version><downloadUrl>" + filesAt + "/new.upd</downloadUrl><updaterUrl>" + filesAt +
           "/updater.exe</updaterUrl><updaterSha256>" + Ascii(UpdateSignature::Sha256(updater)) +
           "</updaterSha256><downloadSha256>" + Ascii(UpdateSignature::Sha256(download)) +
           "</downloadSha256><signature>" + key.Signature(version) + "</signature></update>";
}

// The reply carrying the trusted key's signed message.
inline std::string SignedMessage() {
    return std::string("<r><issued>") + kIssued + "</issued><expires>" + kExpires + "</expires><message>" +
           kSignedMessageXml + "</message><signature>" + TestKey::MessageSignature() + "</signature></r>";
}

}  // namespace testsupport
