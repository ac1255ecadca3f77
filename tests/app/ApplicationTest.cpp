#include "app/Application.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/ConfigurationFile.h"
#include "app/WindowsApplication.h"
#include "support/ThrownMessage.h"

namespace {

std::wstring Text(const String& s) {
    return s.IsNull() ? L"<null>" : s.GetBuffer();
}

// An application whose start-up data the test chooses.
class FakeApp : public WindowsApplication {
public:
    FakeApp(const wchar_t* commandLine, const wchar_t* directory, const wchar_t* modulePath = L"C:\\T\\Tarnwick.exe") {
        CollectStartup(commandLine, directory, modulePath);
    }
    int Run() override { return runResult; }
    int runResult = 0;
};

// The program's path is the file the system loaded, seen with real starts in EntryTest; what
// follows it is the default configuration path.
TEST(ApplicationPaths, TheDefaultConfigurationFollowsTheProgramsFileNotTheCommandLine) {
    FakeApp app(L"tarnwick", L"C:\\", L"\\\\srv\\share\\work\\tools\\Tarnwick.exe");
    EXPECT_EQ(L"\\\\srv\\share\\work\\tools\\Tarnwick.xml", Text(ConfigurationFile::GetDefaultPath()));
    EXPECT_EQ(L"Tarnwick", Text(app.name));
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
        FakeApp app(L"\"C:\\Program Files\\T w\\Tarnwick.exe\" \"my config.tnkx\" extra", L"C:\\data",
                    L"C:\\Program Files\\T w\\Tarnwick.exe");
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
