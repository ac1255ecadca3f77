#include "util/LineMarks.h"

#include <gtest/gtest.h>

#include <chrono>

#include "util/TextFinder.h"

namespace {

using util::LineMarks;
using util::StoredLine;
using util::TextStyle;

// Links and matches are laid over the line's own colours, which come back after them; a line with
// neither is drawn as it is.
TEST(LineMarks, LinksAndMatchesAreDrawnOverTheLinesOwnStylesAndNothingElseChanges) {
    TextStyle red;
    red.foreground = TextStyle::kPalette | 1;
    StoredLine line;
    line.text = L"go https://x.org/find now, find";
    line.runs = {{0, TextStyle()}, {22, red}};
    util::TextFinder finder;
    finder.SetQuery({L"find", false, false});
    LineMarks marks;
    marks.SetFinder(&finder);
    const StoredLine& shown = marks.Shown(line);
    EXPECT_EQ(line.text, shown.text);
    for (size_t column : {3u, 10u, 17u, 20u}) {
        EXPECT_TRUE(shown.StyleAt(column).Has(TextStyle::Link)) << column;
        EXPECT_TRUE(shown.StyleAt(column).Has(TextStyle::Underline)) << column;
    }
    EXPECT_EQ(shown.StyleAt(27).background, shown.StyleAt(17).background) << "both matches marked";
    EXPECT_NE(TextStyle().background, shown.StyleAt(27).background);
    EXPECT_FALSE(shown.StyleAt(27).Has(TextStyle::Link));
    EXPECT_EQ(TextStyle(), shown.StyleAt(2));
    EXPECT_EQ(TextStyle(), shown.StyleAt(21)) << "the text's own style after the link";
    EXPECT_EQ(red, shown.StyleAt(22));
    EXPECT_EQ(red, shown.StyleAt(26));
    EXPECT_EQ(red.foreground, line.StyleAt(27).foreground) << "the stored line is left as it was";
    StoredLine plain;
    plain.text = L"nothing to see";
    EXPECT_EQ(&plain, &marks.Shown(plain));
    marks.SetFinder(nullptr);
    EXPECT_EQ(1u, marks.MarksOf(line).size());
}

// Painting marks every line shown: a longest line, every character in a colour of its own and
// every one a match, costs no more than its length.
TEST(LineMarks, ALongLineOfManyColoursAndMatchesIsMarkedInOnePass) {
    StoredLine line;
    line.text = L"http://a.b/ " + std::wstring(util::LineStore::kLineBound - 11, L'e');
    for (uint32_t i = 0; i < line.text.size(); ++i) {
        TextStyle style;
        style.foreground = TextStyle::kPalette | (i % 2);
        line.runs.push_back({i, style});
    }
    util::TextFinder finder;
    finder.SetQuery({L"e", false, false});
    LineMarks marks;
    marks.SetFinder(&finder);
    auto start = std::chrono::steady_clock::now();
    const StoredLine& shown = marks.Shown(line);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(shown.StyleAt(10).Has(TextStyle::Link));
    EXPECT_EQ(TextStyle::kPalette | 1, shown.StyleAt(11).foreground) << "the blank keeps its colour";
    EXPECT_EQ(shown.StyleAt(12).background, shown.StyleAt(65000).background);
    EXPECT_NE(TextStyle().background, shown.StyleAt(65000).background);
    EXPECT_EQ(3u, shown.runs.size()) << "the link, the blank, the matches";
}

}  // namespace
