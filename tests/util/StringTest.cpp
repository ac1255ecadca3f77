#include "util/String.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring Text(const String& s) { return s.IsNull() ? std::wstring(L"<null>") : std::wstring(s.GetBuffer()); }

TEST(StringNullAndEmpty, DefaultIsNullAndEmptyButNotEqualToEmptyText) {
    String null;
    String empty(L"");
    EXPECT_TRUE(null.IsNull() && null.IsEmpty() && empty.IsEmpty());
    EXPECT_FALSE(empty.IsNull());
    EXPECT_EQ(0, null.GetLength());
    const wchar_t* const none = nullptr;
    // Equals with a String and with a text, in both directions where both are Strings.
    const struct {
        const wchar_t *a, *b;
        bool equal;
    } cases[] = {{none, none, true}, {none, L"", false}, {L"", L"", true}, {L"", none, false}, {L"a", L"A", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.equal, String(c.a).Equals(String(c.b))) << c.equal;
        EXPECT_EQ(c.equal, String(c.a).Equals(c.b)) << c.equal;
    }
}

TEST(StringAssign, CopiesAndSelfAssignmentKeepText) {
    String a(L"abc");
    String b(a);
    EXPECT_TRUE(b.Equals(L"abc"));
    a = a.GetBuffer();  // its own text pointer: nothing changes
    a = a;
    EXPECT_TRUE(a.Equals(L"abc"));
    a = static_cast<const wchar_t*>(nullptr);
    b = String();
    EXPECT_TRUE(a.IsNull() && b.IsNull());
}

TEST(StringAppend, NullBehavesAsAssignmentAndNullArgumentChangesNothing) {
    String s;
    s.Append(L"x");
    s.Append(static_cast<const wchar_t*>(nullptr));
    s.Append(L"yz");
    EXPECT_EQ(3, s.GetLength());
    s.AppendFormat(L"-%d-%s", 7, L"q");
    EXPECT_TRUE(s.Equals(L"xyz-7-q"));
}

TEST(StringFindLast, FindsLastOccurrence) {
    const struct {
        const wchar_t *text, *what;
        int found;
    } cases[] = {{L"C:\\a.b\\prog", L".", 4}, {L"C:\\ab\\prog", L".", -1}, {nullptr, L".", -1},
                 {L"abc", nullptr, -1},       {L"abcabc", L"abc", 3},      {L"ab", L"abc", -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.found, String(c.text).FindLast(c.what)) << c.found;
    }
}

TEST(StringSubString, BoundsCountsAndSelfTarget) {
    String s(L"hello");
    const struct {
        int start, count;
        bool ok;
        const wchar_t* part;
    } cases[] = {
        {1, 3, true, L"ell"}, {2, -1, true, L"llo"}, {3, 100, true, L"lo"},  // a long count stops at the end
        {1, 0, true, L"<null>"}, {5, 2, true, L"<null>"}, {6, 1, false, L"<null>"},
    };
    for (const auto& c : cases) {
        String t(L"x");
        EXPECT_EQ(c.ok, s.SubString(t, c.start, c.count)) << c.start << "," << c.count;
        EXPECT_EQ(c.part, Text(t)) << c.start << "," << c.count;
    }
    EXPECT_TRUE(s.SubString(s, 1, 2));  // target is the String itself
    EXPECT_EQ(L"el", Text(s));
}

TEST(StringTruncate, OutOfRangeIndexesLeaveTextUnchanged) {
    String s(L"abcd");
    for (int index : {-1, 4, 2}) {
        s.Truncate(index);
    }
    EXPECT_EQ(L"ab", Text(s));
    EXPECT_EQ(2, s.GetLength());
    s.Truncate(0);
    EXPECT_EQ(L"", Text(s));  // empty, not null
}

TEST(StringNoCase, OnlyAsciiLettersFoldAndLongSuffixes) {
    String s(L"run.BAT");
    EXPECT_TRUE(s.EndsWith(L".BAT") && s.EndsWithNoCase(L".bat") && s.EndsWithNoCase(L".BaT"));
    EXPECT_FALSE(s.EndsWith(L".bat") || s.EndsWith(L"a much longer suffix") ||
                 s.EndsWithNoCase(L"a much longer suffix") || String().EndsWith(L""));
    // Only A-Z fold: a non-ASCII letter keeps its case.
    EXPECT_FALSE(String(L"\u00C9").EndsWithNoCase(L"\u00E9") || String(L"\u00C9").EqualsNoCase(L"\u00E9"));
    EXPECT_TRUE(String(L"FaLsE").EqualsNoCase(L"false"));
    EXPECT_FALSE(String(L"false").EqualsNoCase(L"alse") || String().EqualsNoCase(L""));
}

TEST(StringReplace, NonOverlappingLeftToRight) {
    const struct {
        const wchar_t *text, *from, *to;
        int count;
        const wchar_t* result;
    } cases[] = {
        {L"a%%b%%", L"%%", L"x", 2, L"axbx"},
        {L"aaa", L"aa", L"b", 1, L"ba"},
        {L"x-y-z", L"-", nullptr, 2, L"xyz"},
        {L"abc", L"q", L"r", 0, L"abc"},
    };
    for (const auto& c : cases) {
        String s(c.text);
        EXPECT_EQ(c.count, s.Replace(c.from, c.to)) << c.text;
        EXPECT_EQ(c.result, Text(s)) << c.text;
        EXPECT_EQ(static_cast<int>(wcslen(c.result)), s.GetLength()) << c.text;
    }
}

struct SplitCase {
    const wchar_t* text;
    std::vector<std::wstring> parts;
};

TEST(StringSplit, PartsAndCounts) {
    const SplitCase cases[] = {
        {L"1.2.3", {L"1", L"2", L"3"}}, {L"1.2.", {L"1", L"2"}},      {L".", {L""}}, {L"abc", {L"abc"}},
        {L".a", {L"", L"a"}},           {L"a..b", {L"a", L"", L"b"}},
    };
    for (const SplitCase& c : cases) {
        String s(c.text);
        String* parts = nullptr;
        int count = -1;
        ASSERT_TRUE(s.Split(L".", &parts, &count)) << c.text;
        ASSERT_EQ(static_cast<int>(c.parts.size()), count) << c.text;
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(c.parts[static_cast<size_t>(i)], Text(parts[i])) << c.text << " part " << i;
        }
        EXPECT_TRUE(parts[count].IsNull()) << c.text;
        delete[] parts;
    }
    String null;
    String* parts = nullptr;
    int count = 0;
    EXPECT_FALSE(null.Split(L".", &parts, &count));
}

TEST(StringUtf8, EncodesAndIsNullForNull) {
    String euro(L"\u20AC!");  // the encoding itself is platform::WideToUtf8's (Utf8Test)
    ASSERT_NE(nullptr, euro.GetUTF8());
    EXPECT_EQ(std::string("\xE2\x82\xAC!"), std::string(euro.GetUTF8()));
    EXPECT_EQ(nullptr, String().GetUTF8());
}

TEST(StringAnsi, ConvertsInWindows1252) {
    // Tests pin the ANSI code page to Windows-1252.
    String s;
    s.AssignAnsi("\xE9");
    EXPECT_EQ(L"\u00E9", Text(s));
    EXPECT_EQ(1, s.GetLength());
    String high("\x80\x99\xFFx", 4);
    EXPECT_EQ(L"\u20AC\u2122\u00FFx", Text(high));
    String cut("abcdef", 3);
    EXPECT_EQ(L"abc", Text(cut));
}

TEST(StringOrdering, UnitByUnitWithPrefixFirst) {
    EXPECT_TRUE(String(L"ab") < String(L"abc"));
    EXPECT_FALSE(String(L"abc") < String(L"ab"));
    EXPECT_TRUE(String(L"B") < String(L"a"));  // UTF-16 values, no case folding
    EXPECT_FALSE(String(L"x") < String(L"x"));
}

}  // namespace
