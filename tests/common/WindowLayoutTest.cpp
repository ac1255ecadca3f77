// The remembered layout's registry texts: each value turns back into what was written, and text
// that is not a layout is refused rather than half read.
#include "common/WindowLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

LayoutPlacement Placement(int left, int top, int right, int bottom, bool maximized) {
    LayoutPlacement placement;
    placement.normal = {left, top, right, bottom};
    placement.maximized = maximized;
    return placement;
}

TEST(WindowLayoutText, PlacementsPanelsAndArrangementsComeBackAsWritten) {
    for (const LayoutPlacement& written :
         {Placement(10, 20, 810, 620, false), Placement(-1900, -5, -100, 1040, true), Placement(0, 0, 1, 1, false)}) {
        LayoutPlacement read = Placement(7, 7, 9, 9, !written.maximized);
        ASSERT_TRUE(WindowLayout::ParsePlacement(WindowLayout::PlacementText(written), read))
            << WindowLayout::PlacementText(written);
        EXPECT_EQ(written, read);
    }
    EXPECT_EQ(L"10,20,810,620,maximized", WindowLayout::PlacementText(Placement(10, 20, 810, 620, true)));

    for (bool shown : {true, false}) {
        bool readShown = !shown;
        int width = -1;
        ASSERT_TRUE(WindowLayout::ParsePanel(WindowLayout::PanelText(shown, 235), readShown, width));
        EXPECT_EQ(shown, readShown);
        EXPECT_EQ(235, width);
    }
    using A = WindowLayout::Arrangement;
    for (A arrangement : {A::Free, A::TileVertically, A::TileHorizontally, A::Cascade, A::Maximized}) {
        A read = arrangement == A::Free ? A::Cascade : A::Free;
        ASSERT_TRUE(WindowLayout::ParseArrangement(WindowLayout::ArrangementText(arrangement), read));
        EXPECT_EQ(arrangement, read);
    }
}

TEST(WindowLayoutText, TextThatIsNotALayoutIsRefusedAndLeavesTheTargetAlone) {
    const LayoutPlacement before = Placement(1, 2, 3, 4, false);
    for (const wchar_t* text : {L"", L"10,20,810,620", L"10,20,810,620,big", L"10,20,810,620,normal,1",
                                L"10,x,810,620,normal", L"10, 20,810,620,normal", L"10,20,5,620,normal",
                                L"10,20,810,20,normal", L"99999999999,0,1,1,normal", L"10,,810,620,normal"}) {
        LayoutPlacement read = before;
        EXPECT_FALSE(WindowLayout::ParsePlacement(text, read)) << text;
        EXPECT_EQ(before, read) << text;
    }
    for (const wchar_t* text : {L"", L"shown", L"open,200", L"shown,-3", L"shown,20,1", L"hidden,wide"}) {
        bool shown = true;
        int width = 77;
        EXPECT_FALSE(WindowLayout::ParsePanel(text, shown, width)) << text;
        EXPECT_TRUE(shown);
        EXPECT_EQ(77, width);
    }
    WindowLayout::Arrangement arrangement = WindowLayout::Arrangement::Cascade;
    EXPECT_FALSE(WindowLayout::ParseArrangement(L"Cascade", arrangement));
    EXPECT_FALSE(WindowLayout::ParseArrangement(L"tiled", arrangement));
    EXPECT_EQ(WindowLayout::Arrangement::Cascade, arrangement);
}

// Titles may hold any character, the separators included; bad lines are skipped, the rest kept.
TEST(WindowLayoutText, ChildrenKeepTheirTitlesAndOrderAndBadLinesAreSkipped) {
    std::vector<WindowLayout::Child> written = {{L"Web", Placement(0, 0, 400, 300, false)},
                                                {L"a\tb\\n c\r\nd\\", Placement(5, 6, 70, 80, true)},
                                                {L"", Placement(1, 1, 2, 2, false)},
                                                {L"web", Placement(9, 9, 99, 99, false)}};
    std::wstring text = WindowLayout::ChildrenText(written);
    std::vector<WindowLayout::Child> read = WindowLayout::ParseChildren(text);
    ASSERT_EQ(written.size(), read.size());
    for (size_t index = 0; index < written.size(); ++index) {
        EXPECT_EQ(written[index].title, read[index].title);
        EXPECT_EQ(written[index].placement, read[index].placement);
    }

    std::wstring damaged = L"1,1,50,50,normal\tFirst\n" + std::wstring(L"no tab here\n") +
                           L"1,1,x,50,normal\tBad numbers\n" + L"1,1,50,50,normal\tBad \\q escape\n" +
                           L"2,2,60,60,maximized\tFirst\n" + L"3,3,30,30,normal\tLast";
    read = WindowLayout::ParseChildren(damaged);
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ(L"First", read[0].title);
    EXPECT_EQ(Placement(1, 1, 50, 50, false), read[0].placement);  // the first of a title wins
    EXPECT_EQ(L"Last", read[1].title);

    WindowLayout layout;
    layout.children = read;
    ASSERT_NE(nullptr, layout.FindChild(L"Last"));
    EXPECT_EQ(Placement(3, 3, 30, 30, false), *layout.FindChild(L"Last"));
    EXPECT_EQ(nullptr, layout.FindChild(L"last"));
    EXPECT_TRUE(WindowLayout::ParseChildren(L"").empty());
}

// The published FNV-1a test vector for no input, and values worked out by hand for UTF-16LE text.
TEST(WindowLayoutKey, TheKeyNameIsTheFnv1aHashOfThePathsUtf16Bytes) {
    EXPECT_EQ(L"cbf29ce484222325", WindowLayout::KeyName(L""));
    EXPECT_EQ(0x089be207b544f1e4ULL, WindowLayout::Fnv1a(L"a"));
    EXPECT_EQ(L"0fbb5450429d6048", WindowLayout::KeyName(L"c:\\cfg\\a.tnkx"));
    std::wstring a = WindowLayout::KeyName(L"c:\\cfg\\a.tnkx");
    std::wstring b = WindowLayout::KeyName(L"c:\\cfg\\b.tnkx");
    EXPECT_NE(a, b);
    EXPECT_EQ(16u, b.size());
    EXPECT_EQ(std::wstring::npos, b.find_first_not_of(L"0123456789abcdef"));
    // The letter case is the caller's to fold: the hash sees the characters as given.
    EXPECT_NE(a, WindowLayout::KeyName(L"C:\\CFG\\A.TNKX"));
}

}  // namespace
