#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <bcrypt.h>

#include <map>
#include <string>

#include "support/ScriptedServer.h"
#include "util/IProperties.h"

namespace testsupport {

// A P-256 key pair made with CNG for a test, signing as openssl does (DER, base64).
class TestKey {
public:
    TestKey();
    ~TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    // Base64 of the SubjectPublicKeyInfo, as the program keeps its trusted key.
    std::wstring PublicKey() const;
    std::string Sign(const std::string& message) const;

private:
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_KEY_HANDLE key = nullptr;
};

// Settings held in memory.
class MapProperties : public util::IProperties {
public:
    bool GetProperty(const wchar_t* name, String& value, const wchar_t* subKey = nullptr) override;
    bool SetProperty(const wchar_t* name, const wchar_t* value, const wchar_t* subKey = nullptr) override;
    std::map<std::wstring, std::wstring> values;
};

// ASCII text (hexadecimal digits, URLs) as bytes.
std::string Ascii(const std::wstring& text);

// An update server's reply offering version with the two files (served at filesAt), signed by key.
std::string SignedOffer(const std::string& version,
                        const TestKey& key,
                        const std::string& updater = "updater bytes",
                        const std::string& download = "program bytes",
                        const std::string& filesAt = "");

// A complete 200 reply with this body.
ServerReply OkReply(const std::string& body);

}  // namespace testsupport
