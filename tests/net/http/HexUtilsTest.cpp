#include "net/http/HexUtils.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ThrownMessage.h"

namespace {

using net::http::HexUtils::DecimalStringToInteger;
using net::http::HexUtils::DecimalStringToInteger64;
using net::http::HexUtils::HexStringToInteger;

TEST(HexStringToInteger, ReadsDigitsFromTheRight) {
    EXPECT_EQ(255u, HexStringToInteger(L"FF "));
    EXPECT_EQ(26u, HexStringToInteger(L" 1A"));
    EXPECT_EQ(0u, HexStringToInteger(L""));
    EXPECT_EQ(0u, HexStringToInteger(L"   "));
    EXPECT_EQ(256u, HexStringToInteger(L"1 0"));  // an inner space is a zero digit
    EXPECT_EQ(0xFFFFFFFFu, HexStringToInteger(L"ffffffff"));
    EXPECT_EQ(0xABCu, HexStringToInteger(L"0000000000abc"));  // leading zeros are no overflow
}

TEST(HexStringToInteger, RaisesForTheFirstBadCharacterFromTheRightAndForOverflow) {
    const struct {
        const wchar_t* text;
        const wchar_t* message;
    } cases[] = {
        {L"1g", L"HexUtils::HexStringToInteger(1g) g not an hex digit."},
        {L"1a;ext", L"HexUtils::HexStringToInteger(1a;ext) t not an hex digit."},
        {L"-1", L"HexUtils::HexStringToInteger(-1) - not an hex digit."},
        {L"100000000", L"HexUtils::HexStringToInteger(100000000) value exceeds 32 bits."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.message, testsupport::ThrownMessage([&] { HexStringToInteger(c.text); }));
    }
}

TEST(DecimalStringToInteger, ReadsLikeAtoi) {
    EXPECT_EQ(12, DecimalStringToInteger(L"  +12abc"));
    EXPECT_EQ(-7, DecimalStringToInteger(L"-7"));
    EXPECT_EQ(0, DecimalStringToInteger(L"x1"));
    EXPECT_EQ(0, DecimalStringToInteger(nullptr));
    EXPECT_EQ(INT32_MAX, DecimalStringToInteger(L"99999999999"));
    EXPECT_EQ(INT32_MIN, DecimalStringToInteger(L"-99999999999"));
    EXPECT_EQ(104857600, DecimalStringToInteger64(L"104857600"));
    EXPECT_EQ(INT64_MAX, DecimalStringToInteger64(L"99999999999999999999999"));
}

}  // namespace
