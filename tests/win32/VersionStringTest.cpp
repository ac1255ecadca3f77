#include "win32/VersionString.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(VersionString, ReadsTheProgramsTableAndFallsBack) {
    const struct {
        const wchar_t* key;
        const wchar_t* value;
    } cases[] = {
        {L"CompanyName", L"Hollbrae"},
        {L"ProductVersion", L"1.0.14"},
        {L"OriginalFilename", L"Tarnwick"},  // keys match in any case
        {L"NoSuchKey", L""},
    };
    for (const auto& c : cases) {
        String value = GetVersionString(c.key);
        EXPECT_FALSE(value.IsNull()) << c.key;
        EXPECT_STREQ(c.value, value.GetBuffer()) << c.key;
    }
    // Without a translation entry the user's default language with code page 04B0 is asked.
    const wchar_t* expected = GetUserDefaultLangID() == 0x0409 ? L"Default table" : L"";
    EXPECT_STREQ(expected, GetVersionString(L"ProductName", nullptr, 2).GetBuffer());
    EXPECT_STREQ(L"", GetVersionString(L"ProductName", nullptr, 3).GetBuffer());
}

}  // namespace
