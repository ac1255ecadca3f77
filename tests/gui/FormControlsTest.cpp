#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "GuiTestSupport.h"
#include "gui/AutoRadioButtonControl.h"
#include "gui/CheckBoxControl.h"
#include "gui/LabeledFieldControl.h"
#include "gui/SplitterControl.h"
#include "gui/StaticControl.h"

namespace {

using guitest::PlacedAt;
using guitest::TextOf;
using FormControls = guitest::HostTest;

TEST_F(FormControls, CheckBoxValueSetsStateAndCaption) {
    gui::CheckBoxControl box;
    box.Create(host.GetHandle());
    struct Case {
        const wchar_t* value;
        bool checked;
    };
    for (const Case& c : {Case{L"TRUE", true}, Case{L"no", false}, Case{L"1", true}, Case{L"yes", false},
                          Case{L"True", true}, Case{L"0", false}, Case{L"true", true}, Case{L"", false},
                          Case{L"1 ", false}}) {
        box.SetText(c.value);
        EXPECT_EQ(c.checked, box.IsChecked()) << "value \"" << std::string(c.value, c.value + wcslen(c.value)) << "\"";
        EXPECT_EQ(std::wstring(c.value), TextOf(box.GetHandle()));
    }
}

TEST_F(FormControls, RadioGroupOfThreeButtonsIn340PixelsChecksTheSelectedOne) {
    gui::AutoRadioButtonControl group;
    group.Create(host.GetHandle());
    group.SetText(L"Process Type");
    group.AddButton(10, L"Windows");
    group.AddButton(11, L"Java");
    group.AddButton(12, L"Other");
    EXPECT_EQ(49, group.GetHeight());
    group.SetPosition(0, 0, 340, group.GetHeight(), SWP_SHOWWINDOW);
    guitest::PumpMessages(20);
    const auto& buttons = group.GetButtons();
    ASSERT_EQ(3u, buttons.size());
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(PlacedAt(buttons[i]->GetHandle(), 20 + 100 * i, 20, 100, 24)) << "button " << i;
    }
    group.Select(11);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(i == 1 ? BST_CHECKED : BST_UNCHECKED, SendMessageW(buttons[i]->GetHandle(), BM_GETCHECK, 0, 0));
    }
}

TEST_F(FormControls, LabeledFieldsPlaceTheLabelAboveTheirEditOrBesideAFieldOfTheOwners) {
    const struct {
        int layout, height, labelWidth, fieldX, fieldY, fieldWidth;
    } cases[] = {{gui::LabeledFieldControl::LabelAbove, 50, 290, 5, 25, 290},
                 {gui::LabeledFieldControl::LabelBeside, 20, 142, 152, 5, 142}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        gui::LabeledFieldControl field(L"Executable", c.layout);
        if (c.layout == gui::LabeledFieldControl::LabelBeside) {
            field.SetFieldKind(1);
            field.SetField(new gui::CheckBoxControl());
        }
        field.Create(host.GetHandle());
        EXPECT_EQ(c.height, field.GetHeight());
        field.SetPosition(0, 0, 300, c.height, SWP_SHOWWINDOW);
        guitest::PumpMessages(20);
        EXPECT_TRUE(PlacedAt(field.GetLabel().GetHandle(), 5, 5, c.labelWidth, 15));
        EXPECT_TRUE(PlacedAt(field.GetField()->GetHandle(), c.fieldX, c.fieldY, c.fieldWidth, 20));
        EXPECT_EQ(L"Executable", TextOf(field.GetLabel().GetHandle()));
        field.SetText(L"C:\\Tools\\run.bat");
        EXPECT_EQ(L"C:\\Tools\\run.bat", TextOf(field.GetField()->GetHandle()));
    }
}

// A splitter filling a host, with two static panes inside it.
class SplitterTest : public guitest::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        splitter.Create(host.GetHandle());
        left.Create(splitter.GetHandle());
        right.Create(splitter.GetHandle());
        splitter.SetPanes(&left, &right);
        splitter.SetPosition(0, 0, 600, 400, SWP_SHOWWINDOW);
        guitest::PumpMessages(20);
    }

    void Mouse(UINT message, WPARAM buttons, int x, int y) {
        SendMessageW(splitter.GetHandle(), message, buttons, MAKELPARAM(x, y));
    }

    gui::SplitterControl splitter;
    gui::StaticControl left;
    gui::StaticControl right;
};

TEST_F(SplitterTest, DefaultLayoutIn600By400AndPanesFollowTheBarOnRelease) {
    EXPECT_TRUE(PlacedAt(left.GetHandle(), 0, 0, 128, 400));
    EXPECT_TRUE(PlacedAt(right.GetHandle(), 132, 0, 468, 400));
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 130, 50);
    EXPECT_TRUE(splitter.IsDragging());
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, 250, 50);
    EXPECT_EQ(250, splitter.GetPosition());
    // The panes stay put while the bar moves.
    EXPECT_TRUE(PlacedAt(left.GetHandle(), 0, 0, 128, 400));
    Mouse(WM_LBUTTONUP, 0, 250, 50);
    EXPECT_FALSE(splitter.IsDragging());
    EXPECT_TRUE(PlacedAt(left.GetHandle(), 0, 0, 248, 400));
    EXPECT_TRUE(PlacedAt(right.GetHandle(), 252, 0, 348, 400));
}

TEST_F(SplitterTest, ReplacingOnePaneHidesTheOldOne) {
    gui::StaticControl other;
    other.Create(splitter.GetHandle());
    splitter.SetPanes(&left, &other);
    EXPECT_FALSE(IsWindowVisible(right.GetHandle()));
    EXPECT_TRUE(IsWindowVisible(other.GetHandle()));
    EXPECT_TRUE(PlacedAt(other.GetHandle(), 132, 0, 468, 400));
    splitter.SetPanes(&left, nullptr);  // the right side left empty
    EXPECT_FALSE(IsWindowVisible(other.GetHandle()));
    EXPECT_TRUE(IsWindowVisible(left.GetHandle()));
}

}  // namespace
