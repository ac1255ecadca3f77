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
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str());
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, base.c_str(), view, 0);
        }
    }

    std::wstring Key(const wchar_t* below = nullptr) const { return below ? base + L"\\" + below : base; }

    // A value of the test's key (or of the key below it) as ReadString gives it; "<unread>" when it fails.
    std::wstring Read(HKEY hive, const wchar_t* name, bool view64 = false, const wchar_t* below = nullptr) const {
        String value;
        return Registry::ReadString(hive, Key(below).c_str(), name, value, view64) ? value.GetBuffer() : L"<unread>";
    }

    // Stores raw bytes as a value of the type (text with or without a terminating null), in the given view.
    static void SetRaw(HKEY hive, const std::wstring& key, const wchar_t* name, const void* data, DWORD bytes,
                       REGSAM view = 0, DWORD type = REG_SZ) {
        HKEY handle = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(hive, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                                                 &handle, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(handle, name, 0, type, static_cast<const BYTE*>(data), bytes));
        RegCloseKey(handle);
    }

    const std::wstring base = L"Software\\TarnwickRegistryTest-" + std::to_wstring(GetCurrentProcessId());
};

TEST_F(RegistryTest, WriteCreatesMissingKeysAndReadsBack) {
    ASSERT_TRUE(Registry::WriteString(HKEY_CURRENT_USER, Key(L"a\\b").c_str(), L"Path", L"C:\\Program Files\\x"));
    EXPECT_EQ(L"C:\\Program Files\\x", Read(HKEY_CURRENT_USER, L"Path", false, L"a\\b"));

    // The default value, written and read through a null name.
    ASSERT_TRUE(Registry::WriteString(HKEY_CURRENT_USER, Key().c_str(), nullptr, L"default text"));
    EXPECT_EQ(L"default text", Read(HKEY_CURRENT_USER, nullptr, true));

    // Overwriting replaces the value, also by a shorter one.
    ASSERT_TRUE(Registry::WriteString(HKEY_CURRENT_USER, Key(L"a\\b").c_str(), L"Path", L"D"));
    EXPECT_EQ(L"D", Read(HKEY_CURRENT_USER, L"Path", false, L"a\\b"));
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
    EXPECT_EQ(L"JDK7", Read(HKEY_CURRENT_USER, L"Bare"));
    EXPECT_EQ(L"JDK", Read(HKEY_CURRENT_USER, L"Odd"));
    EXPECT_EQ(L"a", Read(HKEY_CURRENT_USER, L"Embedded"));
}

TEST_F(RegistryTest, DefaultViewIsThe32BitViewAndTheFlagAsksForThe64BitOne) {
    ASSERT_TRUE(System::Is64Bit());  // the tests run in the 64-bit build on 64-bit Wine
    const wchar_t in64[] = L"64-bit view";
    const wchar_t in32[] = L"32-bit view";
    SetRaw(HKEY_LOCAL_MACHINE, Key(), L"JavaHome", in64, sizeof(in64), KEY_WOW64_64KEY);
    SetRaw(HKEY_LOCAL_MACHINE, Key(), L"JavaHome", in32, sizeof(in32), KEY_WOW64_32KEY);
    EXPECT_EQ(in64, Read(HKEY_LOCAL_MACHINE, L"JavaHome", true));
    EXPECT_EQ(in32, Read(HKEY_LOCAL_MACHINE, L"JavaHome"));

    // Writes land where a 32-bit program's writes land.
    ASSERT_TRUE(Registry::WriteString(HKEY_LOCAL_MACHINE, Key().c_str(), L"JavaHome", L"written"));
    EXPECT_EQ(L"written", Read(HKEY_LOCAL_MACHINE, L"JavaHome"));
    EXPECT_EQ(in64, Read(HKEY_LOCAL_MACHINE, L"JavaHome", true));
}

TEST(RegistryWrite, FailsWhereNoKeyCanBeCreated) {
    // No hive at all: the key cannot be created, and the write says so.
    EXPECT_FALSE(Registry::WriteString(nullptr, L"TarnwickNoHive\\x", L"v", L"t"));
}

}  // namespace
