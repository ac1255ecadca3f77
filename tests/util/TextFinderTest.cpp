#include "util/TextFinder.h"

#include <gtest/gtest.h>

#include <string>

#include "util/LineStore.h"

namespace {

using util::FindQuery;
using util::LineStore;
using util::TextFinder;
using util::TextMatch;
using util::TextPosition;

void Feed(LineStore& store, const std::wstring& text) {
    store.AppendText(text.data(), text.size(), util::TextStyle(), 0);
}

TextFinder Finder(const std::wstring& text, bool matchCase = false, bool wholeWord = false) {
    TextFinder finder;
    finder.SetQuery(FindQuery{text, matchCase, wholeWord});
    return finder;
}

size_t CountIn(const std::wstring& text, TextFinder finder) {
    LineStore store(100000);
    Feed(store, text);
    finder.Update(store);
    return finder.Count();
}

TEST(TextFinder, CaseAndWholeWordDecideWhatCountsAndMatchesNeverOverlap) {
    const std::wstring text = L"Error: error_code ERROR\nerrors, (error) \xC9t\xC9 \xE9t\xE9\naaaa";
    EXPECT_EQ(5u, CountIn(text, Finder(L"error")));
    EXPECT_EQ(3u, CountIn(text, Finder(L"error", true)));
    EXPECT_EQ(3u, CountIn(text, Finder(L"error", false, true))) << "not error_code nor errors";
    EXPECT_EQ(1u, CountIn(text, Finder(L"Error", true, true)));
    EXPECT_EQ(2u, CountIn(text, Finder(L"\xE9t\xE9")));
    EXPECT_EQ(2u, CountIn(text, Finder(L"aa")));
    EXPECT_EQ(0u, CountIn(text, Finder(L"aa", false, true)));
    EXPECT_EQ(0u, CountIn(text, Finder(L"")));
    EXPECT_EQ(0u, CountIn(text, Finder(L"error\r\nerrors"))) << "matches lie within a line";
    EXPECT_EQ((std::vector<size_t>{0, 4}), Finder(L"ab", false, true).FindInLine(L"ab, ab abc xab"));
    EXPECT_EQ((std::vector<size_t>{1, 5}), Finder(L"\x2500\x2500x").FindInLine(L"\x2500\x2500\x2500x \x2500\x2500x"))
        << "a character past Latin-1 again in the query";
}

TEST(TextFinder, NextAndPreviousGoRoundTheEndsAndSayWhenTheyDid) {
    LineStore store(100000);
    Feed(store, L"x one\nnothing\none two one\nlast");
    TextFinder finder = Finder(L"one");
    finder.Update(store);
    const TextPosition first{0, 2}, second{2, 0}, third{2, 8};
    struct {
        TextPosition from;
        bool backward;
        TextPosition expected;
        bool wrapped;
    } cases[] = {{{0, 0}, false, first, false}, {{0, 2}, false, first, false}, {{0, 3}, false, second, false},
                 {{2, 1}, false, third, false}, {{2, 9}, false, first, true},  {{3, 4}, false, first, true},
                 {{3, 4}, true, third, false},  {{2, 8}, true, second, false}, {{0, 3}, true, first, false},
                 {{0, 2}, true, third, true},   {{0, 0}, true, third, true}};
    for (const auto& c : cases) {
        TextMatch match;
        bool wrapped = false;
        ASSERT_TRUE(finder.Next(store, c.from, c.backward, match, wrapped)) << c.from.line << ":" << c.from.column;
        EXPECT_EQ(c.expected, match.start) << c.from.line << ":" << c.from.column << " " << c.backward;
        EXPECT_EQ(3u, match.length);
        EXPECT_EQ(c.wrapped, wrapped) << c.from.line << ":" << c.from.column << " " << c.backward;
    }
    EXPECT_EQ(1u, finder.OrdinalOf(store, first));
    EXPECT_EQ(3u, finder.OrdinalOf(store, third));
    EXPECT_EQ(0u, finder.OrdinalOf(store, {2, 1}));
    std::vector<TextMatch> seen = finder.MatchesIn(store, 1, 3);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(second, seen[0].start);
    EXPECT_EQ(third, seen[1].start);
    TextMatch match;
    bool wrapped = true;
    EXPECT_FALSE(Finder(L"absent").Next(store, {0, 0}, false, match, wrapped));
}

// New output, a match cut between two reads, a rewritten last line and the trim of old lines all
// leave the count as a count from nothing would find it.
TEST(TextFinder, TheCountFollowsOutputAndTheTrimOfOldLines) {
    LineStore store(1000);
    TextFinder finder = Finder(L"hit");
    auto check = [&](const char* step) {
        finder.Update(store);
        TextFinder fresh = Finder(L"hit");
        fresh.Update(store);
        EXPECT_EQ(fresh.Count(), finder.Count()) << step;
        TextMatch match;
        bool wrapped = false;
        if (finder.Next(store, {store.FirstNumber(), 0}, false, match, wrapped)) {
            EXPECT_EQ(1u, finder.OrdinalOf(store, match.start)) << step;
        }
    };
    Feed(store, L"a hit\nh");
    check("a line and the start of the next");
    EXPECT_EQ(1u, finder.Count());
    Feed(store, L"it and hit");
    check("the match completed in the last line");
    EXPECT_EQ(3u, finder.Count());
    store.ReplaceLast(L"rewritten", {});
    check("the last line rewritten");
    EXPECT_EQ(1u, finder.Count());
    for (int i = 0; i < 200; ++i) {
        Feed(store, L"\nline " + std::to_wstring(i) + (i % 10 == 0 ? L" hit" : L""));
        store.Trim();
        check("after a trim");
    }
    EXPECT_GT(store.FirstNumber(), 10u);
    EXPECT_LT(finder.Count(), 10u);
    store.Clear();
    Feed(store, L"hit");
    check("after a clear");
    EXPECT_EQ(1u, finder.Count());
}

}  // namespace
