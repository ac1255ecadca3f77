#include "util/RegistryProperties.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/TestApplication.h"

namespace {

const wchar_t* const kKey = L"Software\\Hollbrae\\Tarnwick";

class RegistryPropertiesTest : public ::testing::Test {
protected:
    void TearDown() override {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, name.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\" + subKey).c_str());
    }

    testsupport::TestApplication application;
    util::RegistryProperties properties;
    std::wstring name = L"TestValue-" + std::to_wstring(GetCurrentProcessId());
    std::wstring subKey = L"TestGroup-" + std::to_wstring(GetCurrentProcessId());
};

TEST_F(RegistryPropertiesTest, KeepsValuesUnderTheProductsKey) {
    EXPECT_STREQ(kKey, properties.GetKeyPath().GetBuffer());
    String value(L"left alone");
    EXPECT_FALSE(properties.GetProperty(name.c_str(), value));
    EXPECT_TRUE(value.IsNull());

    EXPECT_TRUE(properties.SetProperty(name.c_str(), L"1"));
    EXPECT_TRUE(properties.GetProperty(name.c_str(), value));
    EXPECT_STREQ(L"1", value.GetBuffer());
    EXPECT_FALSE(properties.GetProperty(name.c_str(), value, subKey.c_str()));  // groups are apart

    EXPECT_TRUE(properties.SetProperty(name.c_str(), L"grouped", subKey.c_str()));  // creates the group
    EXPECT_TRUE(properties.GetProperty(name.c_str(), value, subKey.c_str()));
    EXPECT_STREQ(L"grouped", value.GetBuffer());
    HKEY group = nullptr;
    EXPECT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\" + subKey).c_str(), 0, KEY_READ, &group));
    RegCloseKey(group);
}

}  // namespace
