// The output view in a window of its own on the test display: what it draws, what it answers to
// programs that read it, and how it takes real mouse and keyboard input.
#include <windows.h>

#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/OutputView.h"
#include "app/WindowsApplication.h"
#include "gui/WindowMessageRouter.h"
#include "util/TextFinder.h"

namespace {

class ViewTestApplication : public WindowsApplication {
public:
    int Run() override { return 0; }
};
ViewTestApplication application;

const int kWidth = 600;
const int kHeight = 400;

void Pump(DWORD ms = 60) {
    for (ULONGLONG end = GetTickCount64() + ms; GetTickCount64() < end; Sleep(5)) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            gui::WindowMessageRouter::RethrowPendingException();
        }
    }
}

std::wstring Lines(int from, int count) {
    std::wstring text;
    for (int i = from; i < from + count; ++i) {
        text += L"line " + std::to_wstring(i) + L"\n";
    }
    return text;
}

std::wstring ClipboardText() {
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const wchar_t* chars = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
        if (chars) {
            text = chars;
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

void Send(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Pump(150);
}

INPUT Key(WORD key, bool up = false) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// A key pressed and let go, with modifiers held around it.
void Press(WORD key, std::vector<WORD> held = {}) {
    std::vector<INPUT> inputs;
    for (WORD modifier : held) {
        inputs.push_back(Key(modifier));
    }
    inputs.push_back(Key(key));
    inputs.push_back(Key(key, true));
    for (WORD modifier : held) {
        inputs.push_back(Key(modifier, true));
    }
    Send(inputs);
}

INPUT Mouse(DWORD flags, int data = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = static_cast<DWORD>(data);
    return input;
}

// One view in a top-level window that is brought to the front, so that input from the display
// reaches it.
class OutputViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSW description = {};
        description.lpfnWndProc = DefWindowProcW;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = L"OutputViewTestHost";
        RegisterClassW(&description);
        host = CreateWindowExW(WS_EX_TOPMOST, L"OutputViewTestHost", L"host", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                               kHeight, nullptr, nullptr, description.hInstance, nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(host); }

    void SetUp() override {
        view.Create(host);
        view.SetPosition(0, 0, kWidth, kHeight, SWP_NOZORDER | SWP_SHOWWINDOW);
        SetForegroundWindow(host);
        SetFocus(view.GetHandle());
        Pump();
    }
    void TearDown() override { view.Destroy(); }

    HWND Handle() const { return view.GetHandle(); }
    void Append(const std::wstring& text) {
        view.Append(text);
        view.FinishPaint();
        Pump(20);
    }
    LRESULT Ask(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(Handle(), message, wParam, lParam);
    }
    LRESULT FirstVisible() { return Ask(EM_GETFIRSTVISIBLELINE); }
    int ScrollPosition(int bar) {
        SCROLLINFO info = {sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
        GetScrollInfo(Handle(), bar, &info);
        return info.nPos;
    }
    // A point on the screen in the left part of a character cell, halfway down: a click there
    // goes before the character.
    POINT CellOnScreen(int line, int column) {
        const gui::LinePainter& painter = view.GetPainter();
        POINT point = {gui::LinePainter::kMargin + column * painter.CellWidth() + 1,
                       line * painter.LineHeight() + painter.LineHeight() / 2};
        ClientToScreen(Handle(), &point);
        return point;
    }
    void ClickAt(POINT point, int clicks = 1) {
        SetCursorPos(point.x, point.y);
        std::vector<INPUT> inputs;
        for (int i = 0; i < clicks; ++i) {
            inputs.push_back(Mouse(MOUSEEVENTF_LEFTDOWN));
            inputs.push_back(Mouse(MOUSEEVENTF_LEFTUP));
        }
        Send(inputs);
    }

    static HWND host;
    OutputView view;
};

HWND OutputViewTest::host = nullptr;

// Read back from the screen: a coloured run's background fills its cells, its text is drawn in
// its colour (also letters beyond ASCII, each in its cell), plain text keeps the window's colours,
// and a selection the highlight.
// A line that comes alone is painted as paints usually are, once the waiting messages are
// handled; lines that follow each other closely are painted there and then, at most every
// paintIntervalMs, as a flood is.
TEST_F(OutputViewTest, ALoneLineIsPaintedLaterAndAFloodAtOnce) {
    Pump(OutputView::paintIntervalMs + 50);
    view.Append(L"alone\r\n");
    EXPECT_TRUE(GetUpdateRect(Handle(), nullptr, FALSE));  // due, not yet painted
    Pump(OutputView::paintIntervalMs + 50);
    EXPECT_FALSE(GetUpdateRect(Handle(), nullptr, FALSE));

    view.Append(L"first of many\r\n");
    ASSERT_TRUE(GetUpdateRect(Handle(), nullptr, FALSE));
    // No message is handled meanwhile: only a paint done at once leaves nothing to paint.
    bool paintedAtOnce = false;
    for (ULONGLONG start = GetTickCount64(); GetTickCount64() - start < 2 * OutputView::paintIntervalMs;) {
        Sleep(10);
        view.Append(L"more\r\n");
        paintedAtOnce = paintedAtOnce || !GetUpdateRect(Handle(), nullptr, FALSE);
    }
    EXPECT_TRUE(paintedAtOnce);
    EXPECT_NE(std::wstring::npos, view.GetAllText().find(L"first of many\r\nmore\r\n"));
}

TEST_F(OutputViewTest, DrawsTheColoursOfTheStyleRunsAndTheSelection) {
    util::TextStyle coloured;
    coloured.foreground = util::TextStyle::kRgb | 0x00FF00;
    coloured.background = util::TextStyle::kRgb | 0x0000C0;
    view.Update([&](util::LineStore& store) {
        store.AppendToLast(L"plain ", 6, util::TextStyle(), 0);
        store.AppendToLast(L"MMMMMM", 6, coloured, 0);
        store.AppendToLast(L" plain", 6, util::TextStyle(), 0);
        store.NewLine(0);
        store.AppendToLast(L"WWWWWWWWWWWW", 12, util::TextStyle(), 0);
        store.NewLine(0);
        store.AppendToLast(L"\x00e9\x00fc\x20ac\x0416", 4, coloured, 0);
    });
    view.FinishPaint();
    Pump();
    HDC screen = GetDC(nullptr);
    const gui::LinePainter& painter = view.GetPainter();
    // A pixel of a cell, from its top left corner.
    auto pixel = [&](int line, int column, int dx, int dy) {
        POINT at = CellOnScreen(line, column);
        return GetPixel(screen, at.x - 1 + dx, at.y - painter.LineHeight() / 2 + dy);
    };
    auto anyPixel = [&](int line, int column, COLORREF wanted) {
        for (int dy = 0; dy < painter.LineHeight(); ++dy) {
            for (int dx = 0; dx < painter.CellWidth(); ++dx) {
                if (pixel(line, column, dx, dy) == wanted) {
                    return true;
                }
            }
        }
        return false;
    };
    EXPECT_EQ(RGB(0, 0, 0xC0), pixel(0, 8, 0, 0)) << "the run's background";
    EXPECT_TRUE(anyPixel(0, 8, RGB(0, 0xFF, 0))) << "the run's text colour";
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), pixel(0, 2, 0, 0));
    EXPECT_FALSE(anyPixel(0, 14, RGB(0, 0xFF, 0))) << "after the run";
    EXPECT_TRUE(anyPixel(1, 3, GetSysColor(COLOR_WINDOWTEXT)));
    for (int column = 0; column < 4; ++column) {
        EXPECT_TRUE(anyPixel(2, column, RGB(0, 0xFF, 0))) << "accented cell " << column;
    }
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), pixel(2, 4, 0, 0)) << "after the accented run";
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), pixel(3, 3, 0, 0)) << "below the text";

    Ask(EM_SETSEL, 20, 24);  // "WWWW" from the second line's third character
    Pump();
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), pixel(1, 3, 0, 0));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), pixel(1, 7, 0, 0));
    ReleaseDC(nullptr, screen);
}

TEST_F(OutputViewTest, AnswersWhatAnEditControlAnswersAboutItsText) {
    Append(L"first\r\nsecond\nthird");
    EXPECT_EQ(20, Ask(WM_GETTEXTLENGTH));
    wchar_t buffer[64] = {};
    EXPECT_EQ(20, Ask(WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_STREQ(L"first\r\nsecond\r\nthird", buffer);
    EXPECT_EQ(4, Ask(WM_GETTEXT, 5, reinterpret_cast<LPARAM>(buffer))) << "room for four and the zero";
    EXPECT_STREQ(L"firs", buffer);
    EXPECT_EQ(3, Ask(EM_GETLINECOUNT));
    *reinterpret_cast<WORD*>(buffer) = 3;
    EXPECT_EQ(3, Ask(EM_GETLINE, 1, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_EQ(L"sec", std::wstring(buffer, 3));
    EXPECT_EQ(0, Ask(EM_GETLINE, 7, reinterpret_cast<LPARAM>(buffer)));

    Ask(EM_SETSEL, 3, 10);
    DWORD from = 0, to = 0;
    EXPECT_EQ(MAKELRESULT(3, 10), Ask(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to)));
    EXPECT_EQ(3u, from);
    EXPECT_EQ(10u, to);
    Ask(WM_COPY);
    EXPECT_EQ(L"st\r\nsec", ClipboardText()) << "line ends as CR LF";

    // The accessible object that WM_GETOBJECT hands out (Wine cannot marshal it to a client:
    // it has no proxy for the interface): the text role, the whole text as its value.
    IAccessible* object = view.GetAccessible();
    VARIANT self = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role = {};
    EXPECT_EQ(S_OK, object->get_accRole(self, &role));
    EXPECT_EQ(ROLE_SYSTEM_TEXT, role.lVal);
    BSTR value = nullptr;
    ASSERT_EQ(S_OK, object->get_accValue(self, &value));
    EXPECT_EQ(L"first\r\nsecond\r\nthird", std::wstring(value, SysStringLen(value)));
    SysFreeString(value);
    VARIANT state = {};
    EXPECT_EQ(S_OK, object->get_accState(self, &state));
    EXPECT_NE(0, state.lVal & STATE_SYSTEM_READONLY);
    EXPECT_NE(0, state.lVal & STATE_SYSTEM_FOCUSED);
    long x = 0, y = 0, width = 0, height = 0;
    EXPECT_EQ(S_OK, object->accLocation(&x, &y, &width, &height, self));
    EXPECT_EQ(kWidth, width);
    view.Destroy();
    EXPECT_EQ(RPC_E_DISCONNECTED, object->get_accValue(self, &value)) << "the window is gone";
    object->Release();
    view.Create(host);

    SetWindowTextW(Handle(), L"new\r\ntext");
    EXPECT_EQ(L"new\r\ntext", view.GetAllText());
    EXPECT_EQ(2, Ask(EM_GETLINECOUNT));
}

// 100,000 lines and a line of 60,000 characters: positions past 16 bits, in both directions.
TEST_F(OutputViewTest, ScrollPositionsGoPast65535LinesAndPixels) {
    std::wstring text = Lines(0, 100000) + std::wstring(60000, L'x');
    Append(text);
    LRESULT count = Ask(EM_GETLINECOUNT);
    ASSERT_EQ(100001, count);
    int page = kHeight / view.GetPainter().LineHeight() - 1;  // less the horizontal bar's height
    EXPECT_NEAR(static_cast<double>(count - page), static_cast<double>(FirstVisible()), 1.0);
    EXPECT_EQ(FirstVisible(), ScrollPosition(SB_VERT));
    EXPECT_GT(ScrollPosition(SB_VERT), 65535);
    Ask(WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(ScrollPosition(SB_VERT), FirstVisible());
    LRESULT up = FirstVisible();
    Ask(WM_VSCROLL, SB_PAGEUP);
    EXPECT_LT(FirstVisible(), up - 10);
    Ask(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(0, FirstVisible());
    Ask(WM_HSCROLL, SB_BOTTOM);
    EXPECT_GT(ScrollPosition(SB_HORZ), 65535);
    EXPECT_EQ(view.GetScroll().MaxLeft(), ScrollPosition(SB_HORZ));
    Ask(WM_HSCROLL, SB_LINEUP);
    EXPECT_EQ(view.GetScroll().MaxLeft() - view.GetPainter().CellWidth(), ScrollPosition(SB_HORZ));
    // A program's thumb request carries 16 bits: it is taken as given.
    Ask(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 300));
    EXPECT_EQ(300, FirstVisible());
}

// Real wheel and keys: a reader who scrolls up stays where they are while output comes; the
// bottom or Ctrl+End follows again; Shift with the wheel scrolls sideways.
TEST_F(OutputViewTest, FollowsOnlyAtTheBottomWithRealWheelAndKeys) {
    Append(Lines(0, 300) + std::wstring(300, L'w') + L"\n");
    ASSERT_TRUE(view.GetScroll().Following());
    POINT middle = CellOnScreen(5, 10);
    SetCursorPos(middle.x, middle.y);
    LRESULT bottom = FirstVisible();
    Send({Mouse(MOUSEEVENTF_WHEEL, WHEEL_DELTA)});
    EXPECT_LT(FirstVisible(), bottom) << "the wheel turned away scrolls up";
    LRESULT reading = FirstVisible();
    Append(Lines(300, 50));
    EXPECT_EQ(reading, FirstVisible()) << "output does not pull the reader down";
    Send({Mouse(MOUSEEVENTF_WHEEL, -WHEEL_DELTA * 40)});
    Append(Lines(350, 5));
    EXPECT_EQ(Ask(EM_GETLINECOUNT) - FirstVisible(), view.GetScroll().PageLines()) << "back at the bottom it follows";

    Press(VK_UP);
    LRESULT up = FirstVisible();
    Append(Lines(355, 5));
    EXPECT_EQ(up, FirstVisible());
    Press(VK_HOME, {VK_CONTROL});
    EXPECT_EQ(0, FirstVisible());
    Press(VK_NEXT);
    EXPECT_EQ(view.GetScroll().PageLines() - 1, FirstVisible());
    Press(VK_END, {VK_CONTROL});
    Append(Lines(360, 5));
    EXPECT_EQ(Ask(EM_GETLINECOUNT) - FirstVisible(), view.GetScroll().PageLines()) << "Ctrl+End follows";

    Send({Key(VK_SHIFT), Mouse(MOUSEEVENTF_WHEEL, -WHEEL_DELTA), Key(VK_SHIFT, true)});
    EXPECT_GT(ScrollPosition(SB_HORZ), 0) << "Shift and the wheel scroll sideways";
    int sideways = ScrollPosition(SB_HORZ);
    Send({Mouse(MOUSEEVENTF_HWHEEL, WHEEL_DELTA)});
    EXPECT_GT(ScrollPosition(SB_HORZ), sideways) << "a tilt to the right";
    Append(Lines(365, 5));
    EXPECT_GT(ScrollPosition(SB_HORZ), sideways) << "output leaves the horizontal place alone";
}

// Drag, double and triple clicks, Shift+click and Shift+keys, Ctrl+A and Ctrl+C or Ctrl+Insert;
// a selection stops the view from following and stays on its text while output comes and the
// oldest lines go.
TEST_F(OutputViewTest, SelectsWithRealMouseAndKeysAndKeepsTheSelectionOnItsText) {
    view.SetCapacity(4000, 0);
    Append(L"alpha beta_gamma delta\nsecond line here\nthird\n");
    POINT start = CellOnScreen(0, 2), end = CellOnScreen(1, 6);
    SetCursorPos(start.x, start.y);
    Send({Mouse(MOUSEEVENTF_LEFTDOWN)});
    SetCursorPos(end.x, end.y);
    Send({Mouse(MOUSEEVENTF_MOVE)});
    Send({Mouse(MOUSEEVENTF_LEFTUP)});
    EXPECT_EQ(L"pha beta_gamma delta\r\nsecond", view.GetSelectedText());
    Press('C', {VK_CONTROL});
    EXPECT_EQ(L"pha beta_gamma delta\r\nsecond", ClipboardText());
    EXPECT_FALSE(view.GetScroll().Following());

    Sleep(GetDoubleClickTime() + 50);  // the next click starts a new series
    ClickAt(CellOnScreen(0, 9), 2);
    EXPECT_EQ(L"beta_gamma", view.GetSelectedText());
    Sleep(GetDoubleClickTime() + 50);
    ClickAt(CellOnScreen(1, 3), 3);
    EXPECT_EQ(L"second line here\r\n", view.GetSelectedText());
    Sleep(GetDoubleClickTime() + 50);
    ClickAt(CellOnScreen(0, 6));
    SetCursorPos(CellOnScreen(1, 6).x, CellOnScreen(1, 6).y);
    Send({Key(VK_SHIFT), Mouse(MOUSEEVENTF_LEFTDOWN), Mouse(MOUSEEVENTF_LEFTUP), Key(VK_SHIFT, true)});
    EXPECT_EQ(L"beta_gamma delta\r\nsecond", view.GetSelectedText()) << "Shift+click extends";
    Press(VK_RIGHT, {VK_SHIFT});
    Press(VK_DOWN, {VK_SHIFT});
    EXPECT_EQ(L"beta_gamma delta\r\nsecond line here\r\nthird", view.GetSelectedText());
    Press(VK_INSERT, {VK_CONTROL});
    EXPECT_EQ(view.GetSelectedText(), ClipboardText());

    // Output after the selection and a trim of the lines before it leave it on the same text.
    LRESULT top = FirstVisible();
    Append(Lines(0, 200));
    EXPECT_EQ(L"beta_gamma delta\r\nsecond line here\r\nthird", view.GetSelectedText());
    EXPECT_EQ(top, FirstVisible());
    Append(Lines(200, 400));
    EXPECT_GT(view.GetStore().FirstNumber(), 0u);
    EXPECT_TRUE(view.GetSelectedText().empty()) << "its text is gone";
    Press('A', {VK_CONTROL});
    EXPECT_EQ(view.GetAllText(), view.GetSelectedText());
}

// An address is drawn underlined in the link colour; a plain click on it opens it (here through
// the test's opener), a click beside it or a drag across it opens nothing.
TEST_F(OutputViewTest, AddressesAreDrawnAsLinksAndAPlainClickOpensOne) {
    std::vector<std::wstring> opened;
    view.GetLinks().SetOpener([&](const std::wstring& address) { opened.push_back(address); });
    Append(L"see https://example.com/a_(b). now\nplain\n");
    HDC screen = GetDC(nullptr);
    POINT cell = CellOnScreen(0, 6), plain = CellOnScreen(1, 2);
    const gui::LinePainter& painter = view.GetPainter();
    // A row of the cell's lower half drawn across the whole cell: a line, not a letter.
    auto underlined = [&](POINT at) {
        for (int dy = 0; dy < painter.LineHeight() / 2; ++dy) {
            int x = at.x - 1, y = at.y + dy, dx = 0;
            while (dx < painter.CellWidth() && GetPixel(screen, x + dx, y) != GetSysColor(COLOR_WINDOW)) {
                ++dx;
            }
            if (dx == painter.CellWidth()) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(underlined(CellOnScreen(0, 10))) << "the link's underline below an 'a'";
    EXPECT_FALSE(underlined(CellOnScreen(0, 1))) << "no underline below a plain 'e'";
    ReleaseDC(nullptr, screen);
    ClickAt(cell);
    ASSERT_EQ(std::vector<std::wstring>{L"https://example.com/a_(b)"}, opened);
    Sleep(GetDoubleClickTime() + 50);
    ClickAt(CellOnScreen(0, 30));
    ClickAt(plain);
    SetCursorPos(cell.x, cell.y);
    Send({Mouse(MOUSEEVENTF_LEFTDOWN)});
    SetCursorPos(plain.x, plain.y);
    Send({Mouse(MOUSEEVENTF_MOVE)});
    Send({Mouse(MOUSEEVENTF_LEFTUP)});
    EXPECT_EQ(1u, opened.size()) << "only the plain click on the address";
}

// While a search is shown its matches are marked in the view, and the selected one is drawn as
// the selection, so it stands out from the others.
TEST_F(OutputViewTest, TheMatchesOfASearchAreMarkedAndTheSelectedOneStandsOut) {
    util::TextFinder finder;
    finder.SetQuery({L"hit", false, false});
    view.GetMarks().SetFinder(&finder);
    Append(L"a hit and a hit\n");
    Ask(EM_SETSEL, 12, 15);
    Pump();
    HDC screen = GetDC(nullptr);
    auto background = [&](int column) {
        POINT at = CellOnScreen(0, column);
        return GetPixel(screen, at.x - 1, at.y - view.GetPainter().LineHeight() / 2);
    };
    COLORREF window = GetSysColor(COLOR_WINDOW), marked = background(2);
    EXPECT_NE(window, marked);
    EXPECT_EQ(window, background(6));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), background(12));
    EXPECT_NE(marked, background(12));
    view.GetMarks().SetFinder(nullptr);
    InvalidateRect(Handle(), nullptr, FALSE);
    Pump();
    EXPECT_EQ(window, background(2)) << "no marks once the search is closed";
    ReleaseDC(nullptr, screen);
}

// Dragging below the view scrolls it, extending the selection as it goes.
TEST_F(OutputViewTest, DraggingPastTheEdgeScrollsAndExtends) {
    Append(Lines(0, 200));
    Press(VK_HOME, {VK_CONTROL});
    POINT start = CellOnScreen(1, 0);
    SetCursorPos(start.x, start.y);
    Send({Mouse(MOUSEEVENTF_LEFTDOWN)});
    RECT area = {};
    GetWindowRect(Handle(), &area);
    SetCursorPos(start.x, area.bottom + 40);
    Send({Mouse(MOUSEEVENTF_MOVE)});
    Pump(600);
    Send({Mouse(MOUSEEVENTF_LEFTUP)});
    EXPECT_GT(FirstVisible(), 5);
    EXPECT_GE(view.GetSelection().Caret().line,
              static_cast<uint64_t>(FirstVisible()) + view.GetScroll().PageLines() - 1)
        << "the caret follows the scrolled view, below its last line";
    EXPECT_EQ(0u, view.GetSelectedText().find(L"line 1\r\nline 2\r\n"));
    EXPECT_FALSE(view.GetScroll().Following());
}

}  // namespace

// The frame's command that the host, standing in for the frame, was sent last.
WPARAM lastCommand = 0;
LRESULT CALLBACK CommandRecorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        lastCommand = wParam;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The context menu, opened by message and by Shift+F10, chosen from with real keys once it shows:
// Select All acts on the view, Clear goes to the frame as its menu command.
TEST_F(OutputViewTest, TheContextMenuSelectsAllHereAndHandsClearToTheFrame) {
    Append(L"first\nsecond\n");
    auto choose = [&](std::vector<WORD> keys, bool byKey = false) {
        std::thread chooser([keys] {
            for (int i = 0; i < 200 && !IsWindowVisible(FindWindowW(L"#32768", nullptr)); ++i) {
                Sleep(10);
            }
            for (WORD key : keys) {
                Press(key);
            }
        });
        if (byKey) {
            Press(VK_F10, {VK_SHIFT});
        } else {
            PostMessageW(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(-1, -1));
        }
        Pump(600);
        chooser.join();
        Pump();
    };
    choose({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(view.GetAllText(), view.GetSelectedText());

    WNDPROC hostProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CommandRecorder)));
    choose({VK_UP, VK_UP, VK_RETURN}, true);
    SetWindowLongPtrW(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hostProc));
    EXPECT_EQ(40201u, lastCommand);
}

// Times shown for the lines already held, drawn in front of the text, which the mouse then finds
// where it is drawn; copying takes them along. Turning them on for a full view does not rebuild it.
TEST_F(OutputViewTest, TimestampsShowForTheLinesHeldMoveTheTextAndGoWithACopy) {
    Append(L"alpha beta\nsecond\n");
    HDC screen = GetDC(nullptr);
    auto anyPixel = [&](int line, int column, COLORREF wanted) {
        POINT at = CellOnScreen(line, column);
        for (int dy = 0; dy < view.GetPainter().LineHeight(); ++dy) {
            for (int dx = 0; dx < view.GetPainter().CellWidth(); ++dx) {
                if (GetPixel(screen, at.x - 1 + dx, at.y - view.GetPainter().LineHeight() / 2 + dy) == wanted) {
                    return true;
                }
            }
        }
        return false;
    };
    COLORREF muted = GetSysColor(COLOR_GRAYTEXT), text = GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_FALSE(anyPixel(0, 1, muted));
    view.ShowTimestamps(true);
    Pump();
    EXPECT_TRUE(anyPixel(0, 1, muted)) << "the hours";
    EXPECT_TRUE(anyPixel(1, 1, muted));
    EXPECT_FALSE(anyPixel(0, 1, text));
    EXPECT_TRUE(anyPixel(0, 13, text)) << "the text after the time";
    ReleaseDC(nullptr, screen);

    ClickAt(CellOnScreen(0, 14), 2);
    EXPECT_EQ(L"alpha", view.GetSelectedText());
    Press('C', {VK_CONTROL});
    std::wstring copied = ClipboardText();
    ASSERT_EQ(18u, copied.size()) << "the time and the word";
    EXPECT_EQ(L':', copied[2]);
    EXPECT_EQ(L'.', copied[8]);
    EXPECT_EQ(L"alpha", copied.substr(13));
    view.ShowTimestamps(false);
    Press('C', {VK_CONTROL});
    EXPECT_EQ(L"alpha", ClipboardText());

    view.SetCapacity(OutputView::defaultScrollback, 0);
    const std::wstring line(79, L'x');
    std::wstring block;
    for (int i = 0; i < 1000; ++i) {
        block += line + L"\n";
    }
    for (int i = 0; i < 50; ++i) {
        view.Append(block);
    }
    view.FinishPaint();
    Pump();
    ASSERT_GT(view.GetStore().Count(), 37500u) << "held at least down to three quarters of the limit";
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    view.ShowTimestamps(true);
    UpdateWindow(Handle());
    QueryPerformanceCounter(&end);
    double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("showing the times on %zu lines took %.2f ms\n", static_cast<size_t>(view.GetStore().Count()), ms);
    EXPECT_LT(ms, 1000.0);
}
