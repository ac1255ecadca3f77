#include "app/Application.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/Entry.h"
#include "app/WindowsApplication.h"
#include "support/MessageBoxWatcher.h"
#include "util/Exception.h"

namespace {

std::wstring Text(const String& s) { return s.IsNull() ? L"<null>" : s.GetBuffer(); }

// An application whose start-up data the test chooses.
class FakeApp : public WindowsApplication {
public:
    FakeApp(const wchar_t* commandLine, const wchar_t* directory) { CollectStartup(commandLine, directory); }
    int Run() override { return runResult; }
    int runResult = 0;
};

TEST(ApplicationPaths, BareNameIsJoinedToTheStartDirectory) {
    EXPECT_EQ(L"C:\\work\\\\Tarnwick.exe", Text(Application::MakeExecutablePath(L"Tarnwick.exe", L"C:\\work\\")));
    EXPECT_EQ(L"Tarnwick", Text(Application::NameFromPath(L"C:\\work\\\\Tarnwick.exe")));
}

TEST(ApplicationPaths, RelativePathsWithSeparatorsBecomeAbsolute) {
    EXPECT_EQ(L"C:\\work\\tools\\Tarnwick.exe",
              Text(Application::MakeExecutablePath(L"tools\\Tarnwick.exe", L"C:\\work\\")));
    EXPECT_EQ(L"C:\\work\\tools\\Tarnwick.exe",
              Text(Application::MakeExecutablePath(L"tools/Tarnwick.exe", L"C:\\work\\")));
    EXPECT_EQ(L"C:\\bin\\Tarnwick.exe",
              Text(Application::MakeExecutablePath(L"..\\bin\\.\\Tarnwick.exe", L"C:\\work\\")));
    EXPECT_EQ(L"C:\\bin\\T.exe", Text(Application::MakeExecutablePath(L"\\bin\\T.exe", L"C:\\work\\")));
}

TEST(ApplicationPaths, AbsolutePathsStayAsInvoked) {
    EXPECT_EQ(L"D:\\Tools\\Tarnwick.exe", Text(Application::MakeExecutablePath(L"D:\\Tools\\Tarnwick.exe", L"C:\\")));
    EXPECT_EQ(L"\\\\server\\share\\T.exe", Text(Application::MakeExecutablePath(L"\\\\server\\share\\T.exe", L"C:\\")));
    EXPECT_TRUE(Application::MakeExecutablePath(String(), L"C:\\").IsNull());
}

TEST(ApplicationPaths, NameDropsDirectoryAndLastExtensionOnly) {
    EXPECT_EQ(L"Tarnwick", Text(Application::NameFromPath(L"C:\\Tools\\Tarnwick.exe")));
    EXPECT_EQ(L"a.b", Text(Application::NameFromPath(L"C:\\Tools\\a.b.exe")));
    EXPECT_EQ(L"prog", Text(Application::NameFromPath(L"C:\\x.y\\prog.exe")));
    EXPECT_EQ(L"prog", Text(Application::NameFromPath(L"C:\\x.y\\prog")));
    EXPECT_EQ(L"prog", Text(Application::NameFromPath(L"C:/x.y/prog.exe")));
    EXPECT_EQ(L"prog", Text(Application::NameFromPath(L"C:\\x.y/prog.exe")));
}

TEST(ApplicationConstruction, CollectsArgumentsPathsAndName) {
    FakeApp app(L"\"C:\\Program Files\\T w\\Tarnwick.exe\" \"my config.tnkx\" extra", L"C:\\data");
    EXPECT_EQ(3, app.argc);
    EXPECT_EQ(L"my config.tnkx", Text(app.arguments[1]));
    EXPECT_EQ(L"extra", Text(app.arguments[2]));
    EXPECT_EQ(L"C:\\data\\", Text(app.startDirectory));
    EXPECT_EQ(L"C:\\Program Files\\T w\\Tarnwick.exe", Text(app.executablePath));
    EXPECT_EQ(L"Tarnwick", Text(app.name));
    EXPECT_EQ(L"Tarnwick", Text(app.moduleName));
    EXPECT_EQ(0u, app.handle);
    EXPECT_EQ(0, app.acceleratorId);
    EXPECT_TRUE(app.CompanyName.IsEmpty());
    EXPECT_EQ(&app, Application::GetCurrent());
    EXPECT_STREQ(L"Tarnwick", app.GetObjectClassName());
}

TEST(ApplicationConstruction, SetHandleIgnoresZero) {
    FakeApp app(L"x.exe", L"C:\\");
    EXPECT_EQ(7u, app.SetHandle(7));
    app.SetHandle(0);
    EXPECT_EQ(7u, app.handle);
}

TEST(ApplicationConstruction, DisplayNameFallsBackToTheBuiltInName) {
    FakeApp app(L"", L"C:\\");
    EXPECT_EQ(0, app.argc);
    EXPECT_TRUE(app.executablePath.IsNull());
    EXPECT_TRUE(app.name.IsNull());
    EXPECT_STREQ(L"Tarnwick", app.GetDisplayName());
}

TEST(ApplicationConstruction, DestructionClearsTheCurrentApplication) {
    {
        FakeApp app(L"x.exe", L"C:\\");
        EXPECT_EQ(&app, Application::GetCurrent());
    }
    EXPECT_EQ(nullptr, Application::GetCurrent());
}

TEST(EntryRoutine, ReturnsWhatRunReturns) {
    FakeApp app(L"x.exe", L"C:\\");
    app.runResult = 42;
    EXPECT_EQ(42, RunApplicationEntry());
}

TEST(EntryRoutine, WithoutApplicationShowsErrorBoxAndReturnsMinusOne) {
    ASSERT_EQ(nullptr, Application::GetCurrent());
    testsupport::MessageBoxWatcher watcher;
    EXPECT_EQ(-1, RunApplicationEntry());
    testsupport::MessageBoxInfo box = watcher.Wait();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(L"ERROR", box.title);
    EXPECT_EQ(L"No WindowsApplication declared", box.text);
}

TEST(MessageLoop, EndsWithTheCodeOfThePostedQuit) {
    FakeApp app(L"x.exe", L"C:\\");
    PostQuitMessage(23);  // posted before the loop starts: the loop still ends with it
    EXPECT_EQ(23, app.MessageLoop());
}

TEST(MessageLoop, MissingAcceleratorTableIsReported) {
    FakeApp app(L"x.exe", L"C:\\");
    app.acceleratorId = 999;  // no such table in the test program
    try {
        app.MessageLoop();
        FAIL() << "no exception";
    } catch (Exception* e) {
        std::wstring message = e->GetMessageText().GetBuffer();
        delete e;
        EXPECT_EQ(0u, message.find(L"WindowsApplication::MessageLoop()\n"));
        EXPECT_GT(message.size(), std::wstring(L"WindowsApplication::MessageLoop()\n").size());
    }
}

class ThrowingApp : public FakeApp {
public:
    ThrowingApp() : FakeApp(L"x.exe", L"C:\\") {}
    int Run() override { throw new Exception(L"App::Run()\nbroken %s", L"configuration"); }
};

TEST(EntryRoutine, EscapedExceptionIsShownAndGivesMinusOne) {
    ThrowingApp app;
    testsupport::MessageBoxWatcher watcher;
    EXPECT_EQ(-1, RunApplicationEntry());
    testsupport::MessageBoxInfo box = watcher.Wait();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(L"Exception thrown", box.title);
    EXPECT_EQ(L"App::Run()\nbroken configuration", box.text);
}

}  // namespace
