#include "win32/Registry.h"

#include <gtest/gtest.h>

#include <string>

#include "win32/System.h"

namespace {

using win32::Registry;

// A key of its own under HKEY_CURRENT_USER (and, for the view tests, HKEY_LOCAL_MACHINE),
// removed with everything below it when the test ends.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        base = L"Software\\TarnwickRegistryTest-" + std::to_wstring(GetCurrentProcessId());
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str());
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, base.c_str(), view, 0);
        }
    }

    std::wstring Key(const wchar_t* below = nullptr) const { return below ? base + L"\\" + below : base; }

    // Stores raw bytes as a value of the type (text with or without a terminating null), in the given view.
    static void SetRaw(HKEY hive, const std::wstring& key, const wchar_t* name, const void* data, DWORD bytes,
                       REGSAM view = 0, DWORD type = REG_SZ) {
        HKEY handle = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(hive, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                                                 &handle, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(handle, name, 0, type, static_cast<const BYTE*>(data), bytes));
        RegCloseKey(handle);
    }

    std::wstring base;
};

TEST_F(RegistryTest, WriteCreatesMissingKeysAndReadsBack) {
    ASSERT_TRUE(Registry::WriteString(HKEY_CURRENT_USER, Key(L"a\\b").c_str(), L"Path", L"C:\\Program Files\\x"));
    String value;
    ASSERT_TRUE(Registry::ReadString(HKEY_CURRENT_USER, Key(L"a\\b").c_str(), L"Path", value, false));
    EXPECT_STREQ(L"C:\\Program Files\\x", value.GetBuffer());

    // The default value, written and read through a null name.
    ASSERT_TRUE(Registry::WriteString(HKEY_CURRENT_USER, Key().c_str(), nullptr, L"default text"));
    String byDefault;
    ASSERT_TRUE(Registry::ReadString(HKEY_CURRENT_USER, Key().c_str(), nullptr, byDefault, true));
    EXPECT_STREQ(L"default text", byDefault.GetBuffer());

    // Overwriting replaces the value, also by a shorter one.
    ASSERT_TRUE(Registry::WriteString(HKEY_CURRENT_USER, Key(L"a\\b").c_str(), L"Path", L"D"));
    ASSERT_TRUE(Registry::ReadString(HKEY_CURRENT_USER, Key(L"a\\b").c_str(), L"Path", value, false));
    EXPECT_STREQ(L"D", value.GetBuffer());
}

TEST_F(RegistryTest, MissingOrEmptyValuesReadFalseAndKeepTheValue) {
    ASSERT_TRUE(Registry::WriteString(HKEY_CURRENT_USER, Key().c_str(), L"Named", L"x"));
    ASSERT_TRUE(Registry::WriteString(HKEY_CURRENT_USER, Key().c_str(), L"Empty", L""));
    SetRaw(HKEY_CURRENT_USER, Key(), L"NoBytes", L"", 0);
    const DWORD number = 0x00430043;  // not text, though its bytes would read as "CC"
    SetRaw(HKEY_CURRENT_USER, Key(), L"Number", &number, sizeof(number), 0, REG_DWORD);
    const struct {
        const wchar_t* key;
        const wchar_t* name;
    } cases[] = {{L"nowhere", L"Named"}, {nullptr, L"Other"},   {nullptr, nullptr},
                 {nullptr, L"Empty"},    {nullptr, L"NoBytes"}, {nullptr, L"Number"}};
    String value(L"unchanged");
    for (const auto& c : cases) {
        EXPECT_FALSE(Registry::ReadString(HKEY_CURRENT_USER, Key(c.key).c_str(), c.name, value, false))
            << (c.name ? c.name : L"(default)");
    }
    EXPECT_STREQ(L"unchanged", value.GetBuffer());
}

TEST_F(RegistryTest, ValueWithoutTerminatingNullReadsExactlyItsData) {
    const wchar_t data[] = {L'J', L'D', L'K', L'7'};
    SetRaw(HKEY_CURRENT_USER, Key(), L"Bare", data, sizeof(data));
    // An odd byte count: the half unit at the end is not part of the text.
    SetRaw(HKEY_CURRENT_USER, Key(), L"Odd", data, sizeof(data) - 1);
    // Data with an embedded null ends at that null.
    const wchar_t embedded[] = {L'a', L'\0', L'b'};
    SetRaw(HKEY_CURRENT_USER, Key(), L"Embedded", embedded, sizeof(embedded));
    String value;
    ASSERT_TRUE(Registry::ReadString(HKEY_CURRENT_USER, Key().c_str(), L"Bare", value, false));
    EXPECT_STREQ(L"JDK7", value.GetBuffer());
    ASSERT_TRUE(Registry::ReadString(HKEY_CURRENT_USER, Key().c_str(), L"Odd", value, false));
    EXPECT_STREQ(L"JDK", value.GetBuffer());
    ASSERT_TRUE(Registry::ReadString(HKEY_CURRENT_USER, Key().c_str(), L"Embedded", value, false));
    EXPECT_STREQ(L"a", value.GetBuffer());
}

TEST_F(RegistryTest, DefaultViewIsThe32BitViewAndTheFlagAsksForThe64BitOne) {
    ASSERT_TRUE(System::Is64Bit());  // the tests run in the 64-bit build on 64-bit Wine
    const wchar_t in64[] = L"64-bit view";
    const wchar_t in32[] = L"32-bit view";
    SetRaw(HKEY_LOCAL_MACHINE, Key(), L"JavaHome", in64, sizeof(in64), KEY_WOW64_64KEY);
    SetRaw(HKEY_LOCAL_MACHINE, Key(), L"JavaHome", in32, sizeof(in32), KEY_WOW64_32KEY);
    String value;
    ASSERT_TRUE(Registry::ReadString(HKEY_LOCAL_MACHINE, Key().c_str(), L"JavaHome", value, true));
    EXPECT_STREQ(in64, value.GetBuffer());
    ASSERT_TRUE(Registry::ReadString(HKEY_LOCAL_MACHINE, Key().c_str(), L"JavaHome", value, false));
    EXPECT_STREQ(in32, value.GetBuffer());

    // Writes land where a 32-bit program's writes land.
    ASSERT_TRUE(Registry::WriteString(HKEY_LOCAL_MACHINE, Key().c_str(), L"JavaHome", L"written"));
    ASSERT_TRUE(Registry::ReadString(HKEY_LOCAL_MACHINE, Key().c_str(), L"JavaHome", value, false));
    EXPECT_STREQ(L"written", value.GetBuffer());
    ASSERT_TRUE(Registry::ReadString(HKEY_LOCAL_MACHINE, Key().c_str(), L"JavaHome", value, true));
    EXPECT_STREQ(in64, value.GetBuffer());
}

TEST(RegistryWrite, FailsWhereNoKeyCanBeCreated) {
    // No hive at all: the key cannot be created, and the write says so.
    EXPECT_FALSE(Registry::WriteString(nullptr, L"TarnwickNoHive\\x", L"v", L"t"));
}

}  // namespace
