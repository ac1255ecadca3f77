#include "app/Application.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/ConfigurationFile.h"
#include "app/WindowsApplication.h"
#include "support/ThrownMessage.h"

namespace {

std::wstring Text(const String& s) { return s.IsNull() ? L"<null>" : s.GetBuffer(); }

// An application whose start-up data the test chooses.
class FakeApp : public WindowsApplication {
public:
    FakeApp(const wchar_t* commandLine, const wchar_t* directory) { CollectStartup(commandLine, directory); }
    int Run() override { return runResult; }
    int runResult = 0;
};

// A bare name, only joined to the start directory, is seen in EntryTest.
TEST(ApplicationPaths, RelativePathsBecomeAbsoluteAndAbsoluteOnesStay) {
    const wchar_t share[] = L"\\\\srv\\share\\work\\";
    struct Case {
        const wchar_t* invokedAs;
        const wchar_t* start;
        const wchar_t* expected;
    } const cases[] = {
        {L"tools\\Tarnwick.exe", L"C:\\work\\", L"C:\\work\\tools\\Tarnwick.exe"},
        {L"tools/Tarnwick.exe", L"C:\\work\\", L"C:\\work\\tools\\Tarnwick.exe"},
        {L"..\\bin\\.\\Tarnwick.exe", L"C:\\work\\", L"C:\\bin\\Tarnwick.exe"},
        {L"D:\\Tools\\Tarnwick.exe", L"C:\\work\\", L"D:\\Tools\\Tarnwick.exe"},
        {L"\\\\server\\share\\T.exe", L"C:\\work\\", L"\\\\server\\share\\T.exe"},
        // a start directory on a share: its "\\server\share" is a root that ".." does not climb above
        {L"tools\\T.exe", share, L"\\\\srv\\share\\work\\tools\\T.exe"},
        {L"..\\..\\..\\T.exe", share, L"\\\\srv\\share\\T.exe"},
        {L"\\bin\\T.exe", share, L"\\\\srv\\share\\bin\\T.exe"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Text(Application::MakeExecutablePath(c.invokedAs, c.start))) << c.invokedAs;
    }
    EXPECT_TRUE(Application::MakeExecutablePath(String(), L"C:\\").IsNull());
    FakeApp app(L"tools\\Tarnwick.exe", L"\\\\srv\\share\\work");
    EXPECT_EQ(L"\\\\srv\\share\\work\\tools\\Tarnwick.xml", Text(ConfigurationFile::GetDefaultPath()));
    app.executablePath = L"C:\\my.tools\\Tarnwick";  // a dot in a folder is no extension
    EXPECT_EQ(L"C:\\my.tools\\Tarnwick.xml", Text(ConfigurationFile::GetDefaultPath()));
}

TEST(ApplicationPaths, NameDropsDirectoryAndLastExtensionOnly) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\work\\\\Tarnwick.exe", L"Tarnwick"},
        {L"C:\\Tools\\a.b.exe", L"a.b"},
        {L"C:\\x.y\\prog.exe", L"prog"},
        {L"C:\\x.y\\prog", L"prog"},
        {L"C:\\x.y/prog.exe", L"prog"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.second, Text(Application::NameFromPath(c.first))) << c.first;
    }
}

// Start directory, name and module name are checked with a real start in EntryTest, and so is the
// entry routine handing on what Run returns.
TEST(ApplicationConstruction, CollectsArgumentsAndIsCurrentWhileItLives) {
    {
        FakeApp app(L"\"C:\\Program Files\\T w\\Tarnwick.exe\" \"my config.tnkx\" extra", L"C:\\data");
        EXPECT_EQ(3, app.argc);
        EXPECT_EQ(L"my config.tnkx", Text(app.arguments[1]));
        EXPECT_EQ(L"extra", Text(app.arguments[2]));
        EXPECT_EQ(L"C:\\Program Files\\T w\\Tarnwick.exe", Text(app.executablePath));
        EXPECT_EQ(&app, Application::GetCurrent());
        EXPECT_EQ(7u, app.SetHandle(7));
        app.SetHandle(0);  // ignored
        EXPECT_EQ(7u, app.handle);
    }
    EXPECT_EQ(nullptr, Application::GetCurrent());
    FakeApp unnamed(L"", L"C:\\");
    EXPECT_EQ(0, unnamed.argc);
    EXPECT_STREQ(L"Tarnwick", unnamed.GetDisplayName());  // the built-in name
}

TEST(MessageLoop, MissingAcceleratorTableIsReported) {
    FakeApp app(L"x.exe", L"C:\\");
    app.acceleratorId = 999;  // no such table in the test program
    std::wstring message = testsupport::ThrownMessage([&] { app.MessageLoop(); });
    EXPECT_EQ(0u, message.find(L"WindowsApplication::MessageLoop()\n")) << message;
    EXPECT_GT(message.size(), std::wstring(L"WindowsApplication::MessageLoop()\n").size());  // the system's text
}

}  // namespace
