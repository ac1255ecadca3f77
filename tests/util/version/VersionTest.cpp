#include "util/version/Version.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/version/SignatureFormat.h"
#include "util/version/UpdateInfo.h"

namespace {

using util::version::SignatureFormat;
using util::version::Version;

TEST(Version, OfferedOnlyWhenStrictlyNewer) {
    const struct {
        const wchar_t* running;
        const wchar_t* offered;
        bool newer;
    } cases[] = {
        {L"1.0.14", L"1.0.15", true},
        {L"1.0.14", L"1.1", true},
        {L"2.0", L"1.5", false},
        {L"1.3.0", L"1.2.5", false},
        {L"1.0.14", L"1.0.14.0.0", false},
        {L"1.0.14", L"1..15", true},
        {L"1.9", L"1.10", true},
        {L"1.0", L"1.0x.1", true},
        {L"1.0", nullptr, false},
        {L"1.0", L"", false},
        {L"1.0", L"1.99999999999999999999", true},                  // saturates instead of wrapping round
        {L"1.0.0.0.0.0.0.0.0.0", L"1.0.0.0.0.0.0.0.0.0.9", false},  // an eleventh part is ignored
    };
    for (const auto& c : cases) {
        Version running(c.running);
        Version offered(c.offered);
        EXPECT_EQ(c.newer, offered.IsNewerThan(running)) << (c.offered ? c.offered : L"(null)");
        EXPECT_FALSE(running.IsNewerThan(running));  // the same version is no update
    }
}

TEST(UpdateInfo, SignedFieldsHaveOneStrictForm) {
    using util::version::UpdateInfo;
    const std::wstring hash(64, L'a');
    const std::wstring longer = hash + L"a";
    const std::wstring shorter = hash.substr(1);
    const std::wstring notHex = shorter + L"g";
    const struct {
        bool (*check)(const wchar_t*);
        const wchar_t* text;
        bool valid;
    } cases[] = {
        {UpdateInfo::IsDottedVersion, L"1", true},
        {UpdateInfo::IsDottedVersion, L"1.0.15", true},
        {UpdateInfo::IsDottedVersion, L"1.2.3.4.5.6.7.8.9.10", true},
        {UpdateInfo::IsDottedVersion, L"1.2.3.4.5.6.7.8.9.10.11", false},  // beyond what a version holds
        {UpdateInfo::IsDottedVersion, L"1.999999999", true},
        {UpdateInfo::IsDottedVersion, L"1.9999999999", false},  // would not fit a component
        {UpdateInfo::IsDottedVersion, L"1..15", false},
        {UpdateInfo::IsDottedVersion, L".1", false},
        {UpdateInfo::IsDottedVersion, L"1.", false},
        {UpdateInfo::IsDottedVersion, L"1.0x", false},
        {UpdateInfo::IsDottedVersion, L"1.0 --silent", false},
        {UpdateInfo::IsDottedVersion, L"", false},
        {UpdateInfo::IsDottedVersion, nullptr, false},
        {UpdateInfo::IsSha256, hash.c_str(), true},
        {UpdateInfo::IsSha256, L"0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef", true},
        {UpdateInfo::IsSha256, L"0123456789ABCDEF0123456789abcdef0123456789abcdef0123456789abcdef", false},
        {UpdateInfo::IsSha256, longer.c_str(), false},
        {UpdateInfo::IsSha256, shorter.c_str(), false},
        {UpdateInfo::IsSha256, notHex.c_str(), false},
        {UpdateInfo::IsSha256, nullptr, false},
        {UpdateInfo::IsDate, L"2026-12-07", true},
        {UpdateInfo::IsDate, L"2026-13-07", false},
        {UpdateInfo::IsDate, L"2026-00-07", false},
        {UpdateInfo::IsDate, L"2026-12-32", false},
        {UpdateInfo::IsDate, L"2026-12-00", false},
        {UpdateInfo::IsDate, L"2026-12-7", false},
        {UpdateInfo::IsDate, L"2026/12/07", false},
        {UpdateInfo::IsDate, L"2026-12-07Z", false},
        {UpdateInfo::IsDate, L"20a6-12-07", false},
        {UpdateInfo::IsDate, nullptr, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.valid, c.check(c.text)) << (c.text ? c.text : L"(null)");
    }
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(SignatureFormat, Base64IsReadStrictly) {
    const struct {
        const wchar_t* text;
        const char* bytes;  // nullptr: refused
    } cases[] = {
        {L"aGVsbG8=", "hello"}, {L"aGVs\r\n bG8h", "hello!"}, {L"aGk=", "hi"},    {L"aA==", "h"}, {L"aGVsbG8", nullptr},
        {L"aGVs*G8h", nullptr}, {L"aA==aA==", nullptr},       {L"a===", nullptr}, {L"", nullptr}, {nullptr, nullptr},
        {L"aB==", nullptr},     {L"aGl=", nullptr},  // stray bits under the padding
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> out;
        EXPECT_EQ(c.bytes != nullptr, SignatureFormat::DecodeBase64(c.text, out)) << (c.text ? c.text : L"(null)");
        if (c.bytes) {
            EXPECT_EQ(Bytes(c.bytes), out);
        }
    }
}

TEST(SignatureFormat, KeyAndSignatureDer) {
    std::vector<uint8_t> key;
    ASSERT_TRUE(SignatureFormat::DecodeBase64(
        L"MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEdHE+wFD7vQc6vyUMHB0GEiOeqHwUpy/6dhwWvu78bs2gFuzUEpuTBWDYl0Z4ww8FSrL7kz64"
        L"8NKSYKA5lw0gFA==",
        key));
    uint8_t point[64];
    ASSERT_TRUE(SignatureFormat::ReadPublicKey(key, point));
    EXPECT_EQ(0x74, point[0]);
    EXPECT_EQ(0x14, point[63]);
    key[20] ^= 1;  // another curve
    EXPECT_FALSE(SignatureFormat::ReadPublicKey(key, point));
    key.pop_back();
    EXPECT_FALSE(SignatureFormat::ReadPublicKey(key, point));

    std::string r32(32, '\x11');
    std::string rHigh(32, '\x99');
    const struct {
        std::string der;
        bool valid;
        uint8_t firstS;  // rs[32] when valid
        uint8_t lastR;   // rs[31] when valid
    } cases[] = {
        {std::string("\x30\x06\x02\x01\x05\x02\x01\x07", 8), true, 0, 5},  // short values are padded
        {"\x30\x44\x02\x20" + r32 + "\x02\x20" + r32, true, 0x11, 0x11},
        {std::string("\x30\x45\x02\x21\x00", 5) + rHigh + "\x02\x20" + r32, true, 0x11, 0x99},  // sign byte
        {std::string("\x30\x45\x02\x21\x00", 5) + r32 + "\x02\x20" + r32, false, 0, 0},         // needless zero
        {std::string("\x30\x07\x02\x02\x00\x05\x02\x01\x07", 9), false, 0, 0},                  // needless zero
        {"\x30\x44\x02\x20" + rHigh + "\x02\x20" + r32, false, 0, 0},                           // negative
        {std::string("\x30\x45\x02\x21\x01", 5) + r32 + "\x02\x20" + r32, false, 0, 0},         // 33 bytes
        {std::string("\x30\x07\x02\x01\x05\x02\x01\x07\x00", 9), false, 0, 0},                  // trailing byte
        {std::string("\x30\x06\x02\x01\x05\x02\x02\x07", 8), false, 0, 0},                      // beyond the end
        {std::string("\x30\x06\x02\x00\x02\x02\x01\x07", 8), false, 0, 0},                      // empty integer
        {std::string("\x31\x06\x02\x01\x05\x02\x01\x07", 8), false, 0, 0},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        uint8_t rs[64];
        std::vector<uint8_t> der = Bytes(cases[i].der);
        ASSERT_EQ(cases[i].valid, SignatureFormat::ReadSignature(der, rs)) << i;
        if (cases[i].valid) {
            EXPECT_EQ(cases[i].lastR, rs[31]) << i;
            EXPECT_EQ(cases[i].firstS, rs[32]) << i;
        }
    }
}

}  // namespace
