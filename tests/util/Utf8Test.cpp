#include <gtest/gtest.h>

#include "util/Platform.h"

namespace {

TEST(Utf8Decode, AcceptsValidTextAndRejectsMalformedBytes) {
    std::wstring out;
    ASSERT_TRUE(platform::Utf8ToWide("caf\xC3\xA9", 5, out));
    EXPECT_EQ(L"caf\u00E9", out);
    ASSERT_TRUE(platform::Utf8ToWide("", 0, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(platform::Utf8ToWide("\xE9", 1, out));          // a lone Latin-1 byte
    EXPECT_FALSE(platform::Utf8ToWide("\xC3", 1, out));          // cut sequence at the end
    EXPECT_FALSE(platform::Utf8ToWide("\xC0\xAF", 2, out));      // overlong "/"
    EXPECT_FALSE(platform::Utf8ToWide("\xED\xA0\x80", 3, out));  // encoded surrogate
    EXPECT_FALSE(platform::Utf8ToWide("\xF4\x90\x80\x80", 4, out));
}

TEST(Utf8RoundTrip, AstralCharactersSurviveBothWays) {
    std::wstring text = L"a\u00E9\u4E2D\U0001F600";  // a surrogate pair where wchar_t has 16 bits
    std::string bytes = platform::WideToUtf8(text.data(), text.size());
    EXPECT_EQ(std::string("a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"), bytes);
    std::wstring back;
    ASSERT_TRUE(platform::Utf8ToWide(bytes.data(), bytes.size(), back));
    EXPECT_EQ(text, back);
}

}  // namespace
