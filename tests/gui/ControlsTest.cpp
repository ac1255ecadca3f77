#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "GuiTestSupport.h"
#include "gui/AboutWindow.h"
#include "gui/BitmapControl.h"
#include "gui/IconControl.h"
#include "gui/RichEditControl.h"
#include "gui/StaticControl.h"
#include "gui/SysLinkControl.h"
#include "gui/TextFont.h"
#include "gui/ToolBarControl.h"
#include "gui/TreeViewControl.h"
#include "support/TarnwickSession.h"
#include "support/TestPaths.h"
#include "support/ThrownMessage.h"

namespace {

using guitest::ClassOf;
using Controls = guitest::HostTest;

TEST_F(Controls, MaximumWidthCapsThePlacement) {
    gui::StaticControl label;
    label.SetMaximumWidth(100);
    label.Create(host.GetHandle());
    label.SetPosition(10, 10, 150, 15, SWP_SHOWWINDOW);
    EXPECT_TRUE(guitest::PlacedAt(label.GetHandle(), 10, 10, 100, 15));
}

TEST_F(Controls, AFontSharedWithATextFontIsLeftToItAndAnOwnedOneGoesWithTheControl) {
    gui::TextFont title;
    HFONT shared = title.CreateFromFields();
    HFONT owned = CreateFontW(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, FF_SWISS, L"Tahoma");
    {
        gui::StaticControl label;
        gui::StaticControl other;
        label.SetFont(shared, false);
        label.Create(host.GetHandle());
        EXPECT_EQ(shared, reinterpret_cast<HFONT>(SendMessageW(label.GetHandle(), WM_GETFONT, 0, 0)));
        other.SetFont(owned, true);
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(shared));
    EXPECT_EQ(0u, GetObjectType(owned));
}

TEST_F(Controls, RichEditLibraryIsChosenOnceAndReusedByTheSecondControl) {
    gui::RichEditControl first;
    gui::RichEditControl second;
    EXPECT_EQ(1, gui::RichEditControl::GetLibraryLoads());
    first.Create(host.GetHandle());
    second.Create(host.GetHandle());
    // Msftedit.dll is preferred when the system has it, as every current one does; class names
    // compare without regard to case.
    EXPECT_EQ(0, lstrcmpiW(L"RICHEDIT50W", ClassOf(first.GetHandle()).c_str()));
    EXPECT_EQ(ClassOf(first.GetHandle()), ClassOf(second.GetHandle()));
}

// A link control with two links; notifications are made up as the control would send them.
class LinkTest : public guitest::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        link.Create(host.GetHandle());
        DeleteFileW(marker.c_str());
        std::wstring text = L"<a href=\"" + target + L"\">first</a> and <a href=\"" + target + L"\">second</a>";
        link.SetText(text.c_str());
    }
    void TearDown() override { DeleteFileW(marker.c_str()); }

    // A notification from a link to the link object, or as WM_NOTIFY to the window to.
    LRESULT Notify(HWND from, UINT code, int index, HWND to = nullptr) {
        NMLINK notification = {};
        notification.hdr.hwndFrom = from;
        notification.hdr.code = code;
        notification.item.iLink = index;
        lstrcpynW(notification.item.szUrl, target.c_str(), L_MAX_URL_LENGTH);
        LPARAM sent = reinterpret_cast<LPARAM>(&notification);
        return to ? SendMessageW(to, WM_NOTIFY, 0, sent) : link.HandleNotify(sent);
    }

    bool MarkerAppears(DWORD milliseconds) {
        return testsupport::WaitUntil([&] { return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; },
                                      milliseconds);
    }

    gui::SysLinkControl link;
    const std::wstring target = testsupport::HelperPath(L"GuiLinkTarget.exe");
    const std::wstring marker = testsupport::ExecutableDirectory() + L"\\GuiLinkTarget.opened";
};

TEST_F(LinkTest, IgnoresOtherLinksOtherControlsAndOtherCodes) {
    EXPECT_EQ(0, Notify(link.GetHandle(), NM_CLICK, 1));
    EXPECT_EQ(0, Notify(host.GetHandle(), NM_CLICK, 0));
    EXPECT_EQ(0, Notify(link.GetHandle(), NM_DBLCLK, 0));
    EXPECT_FALSE(MarkerAppears(1000));
}

TEST_F(LinkTest, ClickOrEnterOnTheFirstLinkOpensItsUrlAlsoInTheAboutBox) {
    gui::AboutWindow about;
    about.Create(host.GetHandle());
    for (UINT code : {NM_CLICK, NM_RETURN, 0u}) {  // 0: a click that reaches the About box as WM_NOTIFY
        HWND from = code ? link.GetHandle() : about.GetLink().GetHandle();
        EXPECT_EQ(1, Notify(from, code ? code : NM_CLICK, 0, code ? nullptr : about.GetHandle())) << code;
        EXPECT_TRUE(MarkerAppears(15000)) << code;
        DeleteFileW(marker.c_str());
    }
}

// Draws one image of a list on white and returns the colours of its corner and its middle.
std::pair<COLORREF, COLORREF> DrawnOnWhite(HIMAGELIST list, int image) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 32, 32);
    HGDIOBJ old = SelectObject(memory, canvas);
    RECT all = {0, 0, 32, 32};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(list, image, memory, 0, 0, ILD_TRANSPARENT);
    std::pair<COLORREF, COLORREF> colours(GetPixel(memory, 0, 0), GetPixel(memory, 14, 16));
    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return colours;
}

TEST_F(Controls, ToolBarStripOfBitmap205Gives15ImagesWithTransparentBackground) {
    gui::ToolBarControl toolbar;
    toolbar.Create(host.GetHandle());
    toolbar.LoadBitmap();
    HIMAGELIST list = toolbar.GetImageList().GetHandle();
    EXPECT_EQ(15, toolbar.GetImageList().GetCount());
    EXPECT_EQ(reinterpret_cast<LRESULT>(list), SendMessageW(toolbar.GetHandle(), TB_GETIMAGELIST, 0, 0));
    // The corner of the Start image is mask colour, so transparent; its middle is drawn.
    std::pair<COLORREF, COLORREF> start = DrawnOnWhite(list, 3);
    EXPECT_EQ(RGB(255, 255, 255), start.first);
    EXPECT_NE(RGB(255, 255, 255), start.second);
}

// Item data is read back by the settings window's tests, which select entries through it.
TEST_F(Controls, ATreeWithoutBitmap601HasNoImages) {
    gui::TreeViewControl tree;
    tree.Create(host.GetHandle());
    EXPECT_EQ(1, tree.LoadImageList());
    EXPECT_EQ(0, SendMessageW(tree.GetHandle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
}

TEST_F(Controls, IconShowsItsResourceAndABitmapWithoutIdIsReported) {
    gui::IconControl icon(100);
    icon.Create(host.GetHandle());
    for (int id : {-1, 103}) {  // first the icon it was made with, then another that replaces it
        icon.SetImage(id);
        ASSERT_NE(nullptr, icon.GetImage());
        EXPECT_EQ(reinterpret_cast<LRESULT>(icon.GetImage()),
                  SendMessageW(icon.GetHandle(), STM_GETIMAGE, IMAGE_ICON, 0))
            << "icon " << id;
    }
    gui::BitmapControl picture;
    picture.Create(host.GetHandle());
    EXPECT_EQ(L"BitmapControl::SetImage(-1) - No resource id has been specified.",
              testsupport::ThrownMessage([&] { picture.SetImage(); }));
}

}  // namespace
