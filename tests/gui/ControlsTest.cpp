#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "GuiTestSupport.h"
#include "gui/BitmapControl.h"
#include "gui/EditControl.h"
#include "gui/IconControl.h"
#include "gui/RichEditControl.h"
#include "gui/StaticControl.h"
#include "gui/StatusBarControl.h"
#include "gui/SysLinkControl.h"
#include "gui/ToolBarControl.h"
#include "gui/TreeViewControl.h"
#include "support/TestPaths.h"
#include "util/Exception.h"

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

TEST(ControlWidth, MaximumWidthRuleAndPlacement) {
    gui::StaticControl label;
    EXPECT_EQ(0, label.GetWidth(0));
    EXPECT_EQ(150, label.GetWidth(150));
    label.SetMaximumWidth(100);
    EXPECT_EQ(100, label.GetWidth(0));
    EXPECT_EQ(100, label.GetWidth(150));
    EXPECT_EQ(80, label.GetWidth(80));

    guitest::HostWindow host;
    host.Open();
    label.Create(host.GetHandle());
    label.SetPosition(10, 10, 150, 15, SWP_SHOWWINDOW);
    RECT placed = guitest::RectInParent(label.GetHandle());
    EXPECT_EQ(100, placed.right - placed.left);
    EXPECT_EQ(15, label.GetHeight());
    EXPECT_EQ(L"Static", ClassOf(label.GetHandle()));
}

TEST(EditControlFont, FixedPitchCourierNewOf15Pixels) {
    guitest::HostWindow host;
    host.Open();
    gui::EditControl edit;
    edit.Create(host.GetHandle());
    EXPECT_EQ(20, edit.GetHeight());
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(edit.GetHandle(), WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, font);
    LOGFONTW description = {};
    ASSERT_NE(0, GetObjectW(font, sizeof(description), &description));
    EXPECT_STREQ(L"Courier New", description.lfFaceName);
    EXPECT_EQ(15, description.lfHeight);
    EXPECT_TRUE(GetWindowLongW(edit.GetHandle(), GWL_EXSTYLE) & WS_EX_STATICEDGE);
}

TEST(RichEditLibrary, ChosenOnceAndReusedByTheSecondControl) {
    guitest::HostWindow host;
    host.Open();
    gui::RichEditControl first;
    const wchar_t* chosen = gui::RichEditControl::GetRichEditClass();
    ASSERT_NE(nullptr, chosen);
    HMODULE library = gui::RichEditControl::GetLibrary();
    gui::RichEditControl second;
    EXPECT_EQ(1, gui::RichEditControl::GetLibraryLoads());
    EXPECT_EQ(library, gui::RichEditControl::GetLibrary());
    EXPECT_EQ(chosen, gui::RichEditControl::GetRichEditClass());
    first.Create(host.GetHandle());
    second.Create(host.GetHandle());
    // Class names compare without regard to case.
    EXPECT_EQ(0, lstrcmpiW(chosen, ClassOf(second.GetHandle()).c_str()));
    EXPECT_EQ(ClassOf(first.GetHandle()), ClassOf(second.GetHandle()));
    // Msftedit.dll is preferred when the system has it, as every current one does.
    EXPECT_STREQ(L"RICHEDIT50W", chosen);
}

// A link control with two links; notifications are made up as the control would send them.
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.Open();
        link.Create(host.GetHandle());
        link.SetPosition(10, 10, 300, 15, SWP_SHOWWINDOW);
        target = testsupport::HelperPath(L"GuiLinkTarget.exe");
        marker = testsupport::ExecutableDirectory() + L"\\GuiLinkTarget.opened";
        DeleteFileW(marker.c_str());
        std::wstring text = L"<a href=\"" + target + L"\">first</a> and <a href=\"" + target + L"\">second</a>";
        link.SetText(text.c_str());
    }
    void TearDown() override { DeleteFileW(marker.c_str()); }

    NMLINK Notification(HWND from, UINT code, int index) {
        NMLINK notification = {};
        notification.hdr.hwndFrom = from;
        notification.hdr.code = code;
        notification.item.iLink = index;
        lstrcpynW(notification.item.szUrl, target.c_str(), L_MAX_URL_LENGTH);
        return notification;
    }

    bool MarkerAppears(DWORD milliseconds) {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds) {
            if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) {
                return true;
            }
            Sleep(50);
        }
        return false;
    }

    guitest::HostWindow host;
    gui::SysLinkControl link;
    std::wstring target;
    std::wstring marker;
};

TEST_F(LinkTest, IgnoresOtherLinksOtherControlsAndOtherCodes) {
    EXPECT_EQ(L"SysLink", ClassOf(link.GetHandle()));
    NMLINK secondLink = Notification(link.GetHandle(), NM_CLICK, 1);
    EXPECT_EQ(0, link.HandleNotify(reinterpret_cast<LPARAM>(&secondLink)));
    NMLINK otherControl = Notification(host.GetHandle(), NM_CLICK, 0);
    EXPECT_EQ(0, link.HandleNotify(reinterpret_cast<LPARAM>(&otherControl)));
    NMLINK otherCode = Notification(link.GetHandle(), NM_DBLCLK, 0);
    EXPECT_EQ(0, link.HandleNotify(reinterpret_cast<LPARAM>(&otherCode)));
    EXPECT_FALSE(MarkerAppears(1000));
}

TEST_F(LinkTest, ClickOnTheFirstLinkOpensItsUrl) {
    NMLINK click = Notification(link.GetHandle(), NM_CLICK, 0);
    EXPECT_EQ(1, link.HandleNotify(reinterpret_cast<LPARAM>(&click)));
    EXPECT_TRUE(MarkerAppears(15000));
    DeleteFileW(marker.c_str());
    NMLINK enter = Notification(link.GetHandle(), NM_RETURN, 0);
    EXPECT_EQ(1, link.HandleNotify(reinterpret_cast<LPARAM>(&enter)));
    EXPECT_TRUE(MarkerAppears(15000));
}

TEST(ToolBar, StripOfBitmap205Gives15Images) {
    guitest::HostWindow host;
    host.Open();
    gui::ToolBarControl toolbar;
    toolbar.Create(host.GetHandle());
    EXPECT_EQ(TOOLBARCLASSNAMEW, ClassOf(toolbar.GetHandle()));
    toolbar.LoadBitmap();
    EXPECT_EQ(15, toolbar.GetImageList().GetCount());
    EXPECT_EQ(reinterpret_cast<LRESULT>(toolbar.GetImageList().GetHandle()),
              SendMessageW(toolbar.GetHandle(), TB_GETIMAGELIST, 0, 0));
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(toolbar.GetImageList().GetHandle(), &width, &height);
    EXPECT_EQ(32, width);
    EXPECT_EQ(32, height);
}

TEST(ToolBar, ImagesAreDrawnWithTransparentBackground) {
    gui::ImageList list(32, 32, ILC_COLOR24 | ILC_MASK, 13, 0);
    HBITMAP strip = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(205));
    ASSERT_NE(nullptr, strip);
    BITMAP info = {};
    GetObjectW(strip, sizeof(info), &info);
    EXPECT_EQ(500, info.bmWidth);
    EXPECT_EQ(32, info.bmHeight);
    list.AddMasked(strip, gui::ToolBarControl::maskColour);
    DeleteObject(strip);
    IMAGEINFO image = {};
    ASSERT_TRUE(ImageList_GetImageInfo(list.GetHandle(), 3, &image));
    // The corner of the Start image is mask colour, so transparent; its middle is drawn.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 32, 32);
    HGDIOBJ old = SelectObject(memory, canvas);
    RECT all = {0, 0, 32, 32};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(memory, &all, white);
    ImageList_Draw(list.GetHandle(), 3, memory, 0, 0, ILD_TRANSPARENT);
    COLORREF corner = GetPixel(memory, 0, 0);
    COLORREF middle = GetPixel(memory, 14, 16);
    SelectObject(memory, old);
    DeleteObject(white);
    DeleteObject(canvas);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(RGB(255, 255, 255), corner);
    EXPECT_NE(RGB(255, 255, 255), middle);
}

TEST(StatusBar, OnePartWithSizeGrip) {
    guitest::HostWindow host;
    host.Open();
    gui::StatusBarControl status;
    status.Create(host.GetHandle());
    EXPECT_EQ(STATUSCLASSNAMEW, ClassOf(status.GetHandle()));
    EXPECT_TRUE(GetWindowLongW(status.GetHandle(), GWL_STYLE) & SBARS_SIZEGRIP);
    status.SetText(L"Process \"Demo\" is running ...");
    String text;
    EXPECT_STREQ(L"Process \"Demo\" is running ...", status.GetText(text).GetBuffer());
}

TEST(TreeView, ItemsCarryTheirDataAndNoImagesWithoutBitmap601) {
    guitest::HostWindow host;
    host.Open();
    gui::TreeViewControl tree;
    tree.Create(host.GetHandle());
    HTREEITEM first = tree.InsertItem(L"First", 11);
    HTREEITEM second = tree.InsertItem(L"Second", 22);
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    LPARAM data = 0;
    EXPECT_TRUE(tree.GetItemParam(second, data));
    EXPECT_EQ(22, data);
    EXPECT_TRUE(tree.GetItemParam(first, data));
    EXPECT_EQ(11, data);
    EXPECT_EQ(2, static_cast<int>(SendMessageW(tree.GetHandle(), TVM_GETCOUNT, 0, 0)));
    EXPECT_EQ(1, tree.LoadImageList());
    EXPECT_EQ(0, SendMessageW(tree.GetHandle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    EXPECT_EQ(0, tree.GetImageList().GetCount());
}

TEST(ImageControls, IconShowsResource100AndAMissingIdIsReported) {
    guitest::HostWindow host;
    host.Open();
    gui::IconControl icon(100);
    icon.Create(host.GetHandle());
    EXPECT_TRUE(GetWindowLongW(icon.GetHandle(), GWL_STYLE) & SS_ICON);
    icon.SetImage();
    ASSERT_NE(nullptr, icon.GetImage());
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon.GetImage()), SendMessageW(icon.GetHandle(), STM_GETIMAGE, IMAGE_ICON, 0));
    icon.SetImage(103);  // another icon replaces the first
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon.GetImage()), SendMessageW(icon.GetHandle(), STM_GETIMAGE, IMAGE_ICON, 0));

    gui::BitmapControl picture;
    picture.Create(host.GetHandle());
    try {
        picture.SetImage();
        FAIL() << "an image without resource id was accepted";
    } catch (Exception* e) {
        EXPECT_STREQ(L"BitmapControl::SetImage(-1) - No resource id has been specified.",
                     e->GetMessageText().GetBuffer());
        delete e;
    }
}

}  // namespace
