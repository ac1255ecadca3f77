#include "util/LineMarks.h"

#include <gtest/gtest.h>

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

}  // namespace
