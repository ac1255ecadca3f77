#include "util/version/VersionCheck.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/ScratchDirectory.h"
#include "support/ScriptedServer.h"
#include "support/TestApplication.h"
#include "support/UpdateOffer.h"
#include "util/version/UpdateProgressWindow.h"

namespace {

using testsupport::Ascii;
using testsupport::MapProperties;
using testsupport::OkReply;
using testsupport::ScratchDirectory;
using testsupport::ScriptedServer;
using testsupport::ServerReply;
using testsupport::SignedMessage;
using testsupport::SignedOffer;
using testsupport::TestKey;
using util::version::VersionCheck;
using Outcome = VersionCheck::Outcome;

struct Box {
    std::wstring text;
    std::wstring caption;
};

class VersionCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        application.moduleName = L"Tarnwick";
        application.executablePath = L"C:\\Programs\\Tarnwick\\Tarnwick.exe";
        environment.trustedKey = trusted.PublicKey().c_str();
        environment.properties = &properties;
        environment.downloadFolder = downloads.Path().c_str();
        environment.today = [this] { return today; };
        environment.buildDate = "2026-11-01";
        environment.messageBox = [this](HWND, const wchar_t* text, const wchar_t* caption, UINT) {
            boxes.push_back({text, caption});
            return answer;
        };
        environment.start = [this](const wchar_t* program, const wchar_t* argument, const wchar_t* folder) {
            started.push_back(std::wstring(program) + L"|" + argument + L"|" + folder);
            for (const wchar_t* name : {L"updater.exe", L"Tarnwick.upd"}) {
                changeable += CanBeChanged(downloads.File(name));
            }
            return true;
        };
    }

    // Whether another program could overwrite the file, or swap it for another by renaming.
    static bool CanBeChanged(const std::wstring& path) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return true;
        }
        std::wstring aside = path + L".aside";
        return MoveFileW(path.c_str(), aside.c_str()) && MoveFileW(aside.c_str(), path.c_str());
    }

    void PointAt(const ScriptedServer& server) { properties.values[L"UpdateUrl"] = server.Url(L"/versions/index.php"); }

    testsupport::TestApplication application;
    TestKey trusted;
    MapProperties properties;
    ScratchDirectory downloads;
    VersionCheck::Environment environment;
    std::vector<Box> boxes;
    std::vector<std::wstring> started;
    int changeable = 0;  // downloaded files that could be changed while the updater started
    int answer = IDNO;
    std::string today = "2026-12-10";
};

// This test program's own progress window: other tests running at the same time show theirs.
HWND FindProgressWindow() {
    for (HWND window = nullptr;
         (window = FindWindowExW(nullptr, window, util::version::UpdateProgressWindow::kClassName,
                                 L"Tarnwick update")) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == GetCurrentProcessId()) {
            return window;
        }
    }
    return nullptr;
}

// A 200 that declares 100,000 bytes and sends 100 every 100 ms: a download that takes a while.
ServerReply SlowFile() {
    ServerReply reply;
    reply.pieces.push_back("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
    for (int i = 0; i < 100; ++i) {
        reply.pieces.push_back(std::string(100, 'x'));
    }
    reply.pauseMs = 100;
    return reply;
}

TEST_F(VersionCheckTest, SettingDecidesWhetherTheStartAsks) {
    const struct {
        const wchar_t* value;  // nullptr: absent
        size_t requests;
    } cases[] = {{nullptr, 1}, {L"0", 0}, {L"1", 1}, {L"no", 1}, {L"", 1}};
    for (const auto& c : cases) {
        ScriptedServer server({OkReply(SignedMessage())});
        properties.values.clear();
        PointAt(server);
        if (c.value) {
            properties.values[L"CheckForUpdates"] = c.value;
        }
        VersionCheck check(environment);
        EXPECT_EQ(c.requests, server.RequestCount()) << (c.value ? c.value : L"absent");
        EXPECT_EQ(c.value ? c.value : L"1", properties.values[L"CheckForUpdates"]);
        if (c.requests) {
            EXPECT_EQ(Outcome::Message, check.GetStartupOutcome());
            std::string request = server.Requests()[0];
            EXPECT_EQ("GET /versions/index.php?name=Tarnwick HTTP/1.1", request.substr(0, request.find("\r\n")));
        }
    }
}

TEST_F(VersionCheckTest, OffersOnlyNewerSignedVersions) {
    TestKey other(false);
    std::string deep;
    while (deep.size() < 60000) {
        deep += "<a>";
    }
    const struct {
        std::string reply;
        Outcome outcome;
    } cases[] = {
        {SignedOffer("1.0.14", trusted), Outcome::UpToDate},
        {SignedOffer("1.0.15", other), Outcome::Unverified},
        {SignedOffer("1.0.15", trusted).replace(SignedOffer("1.0.15", trusted).find("1.0.15"), 6, "1.0.16"),
         Outcome::Unverified},  // the version changed after signing
        {"<u><version>1.0.15</version><downloadUrl>/d</downloadUrl><updaterUrl>/u</updaterUrl></u>",
         Outcome::Unverified},                                                              // no signature elements
        {"<u><message>maintenance</message><version></version></u>", Outcome::Unverified},  // unsigned
        {SignedMessage(), Outcome::Message},
        {SignedOffer("1.0.15", trusted)
             .replace(SignedOffer("1.0.15", trusted).find(testsupport::kExpires), 10, "2099-12-31"),
         Outcome::Unverified},  // the expiry changed after signing
        {SignedOffer("1.0.15", trusted, "updater bytes", "program bytes", "https://127.0.0.1"),
         Outcome::Unverified},  // files only over http
        {SignedOffer("1.0.15", trusted, "updater bytes", "program bytes", "ftp://127.0.0.1"), Outcome::Unverified},
        {"not xml <<<", Outcome::Unverified},
        {deep, Outcome::Unverified},                                       // nested deeper than any stack
        {"<r>" + std::string(70000, 'x') + "</r>", Outcome::Unreachable},  // beyond the reply cap
        {SignedOffer("1.0.15", trusted), Outcome::Declined},               // last: its box is checked below
    };
    for (const auto& c : cases) {  // no CheckForUpdates setting: the start-up check runs
        SCOPED_TRACE(c.reply);
        boxes.clear();
        ScriptedServer server({OkReply(c.reply)});
        PointAt(server);
        VersionCheck check(environment);
        EXPECT_EQ(c.outcome, check.GetStartupOutcome());
        EXPECT_EQ(c.outcome == Outcome::Declined ? 1u : 0u, boxes.size());  // the start-up check is silent
        EXPECT_FALSE(check.IsQuitPending());
    }
    // The running version is the resources' 1.0.14.
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"An update for Tarnwick 1.0.14 is available.\n\nDo you want to download Tarnwick 1.0.15?",
              boxes[0].text);  // its caption: the check on demand's, for every outcome
    EXPECT_TRUE(started.empty());
}

TEST_F(VersionCheckTest, ExpiredAndOldRepliesAreRefused) {
    const struct {
        const char* today;
        const char* buildDate;
        Outcome outcome;
    } cases[] = {
        {"2027-06-30", "2026-11-01", Outcome::Declined},  // the last day holds
        {"2027-07-01", "2026-11-01", Outcome::Stale},
        {"2026-12-10", "2026-12-01", Outcome::Declined},  // issued the day this build was made
        {"2026-12-10", "2026-12-02", Outcome::Stale},     // issued before this build: played back
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.today) + " " + c.buildDate);
        boxes.clear();
        today = c.today;
        environment.buildDate = c.buildDate;
        ScriptedServer server({OkReply(SignedOffer("1.0.15", trusted)), OkReply(SignedMessage())});
        PointAt(server);
        properties.values[L"CheckForUpdates"] = L"0";
        VersionCheck check(environment);
        EXPECT_EQ(c.outcome, check.Check(nullptr, false));
        ASSERT_EQ(1u, boxes.size());
        if (c.outcome == Outcome::Stale) {
            EXPECT_EQ(L"the update server's reply is out of date", boxes[0].text);
            // A signed message is held to the same dates.
            EXPECT_EQ(Outcome::Stale, check.Check(nullptr, false));
        }
    }
}

TEST_F(VersionCheckTest, StartWaitsNoLongerThanTheBound) {
    ServerReply silent;
    silent.answer = false;
    ServerReply trickle;
    trickle.pieces = std::vector<std::string>(60, " ");
    trickle.pauseMs = 100;
    ScriptedServer silentServer({silent});
    ScriptedServer tricklingServer({trickle});
    testsupport::DeafListener deaf;  // a refused connection waits for nothing: the check on demand reports it
    for (const std::wstring& url : {silentServer.Url(L"/v"), tricklingServer.Url(L"/v"), deaf.Url(L"/v")}) {
        properties.values[L"UpdateUrl"] = url;
        ULONGLONG start = GetTickCount64();
        VersionCheck check(environment);
        EXPECT_LT(GetTickCount64() - start, 1750u) << url;  // the bound, and room for a loaded machine
        EXPECT_EQ(Outcome::Unreachable, check.GetStartupOutcome()) << url;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(VersionCheckTest, AcceptedUpdateIsCheckedStartedAndQuits) {
    ScriptedServer files({OkReply("updater bytes"), OkReply("program bytes")});
    bool progressShown = false;
    files.OnRequest([&] { progressShown = progressShown || FindProgressWindow() != nullptr; });
    std::string filesAt = Ascii(files.Url(L""));
    ScriptedServer server({OkReply(SignedOffer("1.0.15", trusted, "updater bytes", "program bytes", filesAt))});
    PointAt(server);
    answer = IDYES;
    VersionCheck check(environment);
    EXPECT_EQ(Outcome::Installed, check.GetStartupOutcome());
    EXPECT_TRUE(check.IsQuitPending());
    EXPECT_EQ("updater bytes", ScratchDirectory::Read(downloads.File(L"updater.exe")));
    EXPECT_EQ("program bytes", ScratchDirectory::Read(downloads.File(L"Tarnwick.upd")));
    EXPECT_TRUE(progressShown);  // after Yes at start-up, a window says what is happening
    EXPECT_EQ(nullptr, FindProgressWindow());
    ASSERT_EQ(1u, started.size());
    // The updater is told the program to replace, and the signed hash and version of the new one.
    EXPECT_EQ(downloads.File(L"updater.exe") +
                  L"|\"C:\\Programs\\Tarnwick\\Tarnwick.exe\" "
                  L"d65a3f878bd10ea32143bb3168cf9747b1927b358b3da52dc4d616eebb40b7cc 1.0.15|" +
                  downloads.Path(),
              started[0]);
    EXPECT_EQ(0, changeable);  // what was hashed is what starts
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(VersionCheckTest, FailedInstallsLeaveNothingToRun) {
    ServerReply missing = ScriptedServer::Reply("HTTP/1.1 404 Not Found", {"Content-Length: 0"}, "");
    const struct {
        std::vector<ServerReply> files;  // each asked for once; none without a download folder
        std::wstring error;              // behind the files server's address where it names one
    } cases[] = {
        {{OkReply("updater bytes"), OkReply("other program bytes")},
         L"The downloaded files do not match the signed update."},
        {{missing}, L"The updater at:\n\n@/updater.exe\n\ncould not be saved to:\n\n" + downloads.File(L"updater.exe")},
        {{OkReply("updater bytes"), missing},
         L"The new version at:\n\n@/new.upd\n\ncould not be saved to:\n\n" + downloads.File(L"Tarnwick.upd")},
        {{}, L"There is no folder to download the update to."},
    };
    answer = IDYES;
    for (const auto& c : cases) {
        boxes.clear();
        environment.downloadFolder = c.files.empty() ? L"" : downloads.Path().c_str();
        ScriptedServer files(c.files);
        ScriptedServer server(
            {OkReply(SignedOffer("1.0.15", trusted, "updater bytes", "program bytes", Ascii(files.Url(L""))))});
        PointAt(server);
        VersionCheck check(environment);
        EXPECT_EQ(Outcome::Failed, check.GetStartupOutcome());
        EXPECT_EQ(c.files.size(), files.RequestCount());
        EXPECT_FALSE(check.IsQuitPending());
        EXPECT_TRUE(started.empty());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(downloads.File(L"updater.exe").c_str()));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(downloads.File(L"Tarnwick.upd").c_str()));
        ASSERT_EQ(2u, boxes.size());
        std::wstring error = c.error;
        if (error.find(L'@') != std::wstring::npos) {
            error.replace(error.find(L'@'), 1, files.Url(L""));
        }
        EXPECT_EQ(L"Error while installing update.", boxes[1].caption);
        EXPECT_EQ(
            L"Sorry, there was an error while installing the update.\n\n" + error + L"\n\nYou may retry again later.",
            boxes[1].text);
    }
}

TEST_F(VersionCheckTest, OnlyTheDownloadFolderIsCleaned) {
    ScratchDirectory current;
    std::wstring mine = current.Write(L"updater.exe", "the user's own");
    std::wstring leftover = downloads.Write(L"updater.exe", "left from last time");
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    SetCurrentDirectoryW(current.Path().c_str());
    properties.values[L"CheckForUpdates"] = L"0";
    VersionCheck check(environment);
    SetCurrentDirectoryW(before);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(leftover.c_str()));
    EXPECT_EQ("the user's own", ScratchDirectory::Read(mine));
    EXPECT_EQ(Outcome::NotRun, check.GetStartupOutcome());
}

TEST_F(VersionCheckTest, CheckOnDemandReportsEveryOutcome) {
    properties.values[L"CheckForUpdates"] = L"0";  // the user's request runs all the same
    int refusedPort = ScriptedServer::UnusedPort();
    const struct {
        std::string reply;  // empty: nobody answers
        Outcome outcome;
        const wchar_t* text;
    } cases[] = {
        {"", Outcome::Unreachable, L"the update server could not be reached"},
        {SignedOffer("1.0.14", trusted), Outcome::UpToDate, L"Tarnwick 1.0.14 is up to date"},
        {SignedMessage(), Outcome::Message, testsupport::kSignedMessage},
        {"<r><message>Unsigned news</message></r>", Outcome::Unverified,
         L"the update server's reply could not be verified"},
        {"<r/>", Outcome::Unverified, L"the update server's reply could not be verified"},
        {SignedOffer("1.0.15", trusted), Outcome::Declined,
         L"An update for Tarnwick 1.0.14 is available.\n\nDo you want to download Tarnwick 1.0.15?\n\nTarnwick will "
         L"close and stop the processes that are running."},
    };
    VersionCheck check(environment);
    for (const auto& c : cases) {
        boxes.clear();
        ScriptedServer server({OkReply(c.reply)});
        PointAt(server);
        if (c.reply.empty()) {
            properties.values[L"UpdateUrl"] = L"http://127.0.0.1:" + std::to_wstring(refusedPort) + L"/v";
        }
        EXPECT_EQ(c.outcome, check.Check(nullptr, true));
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(c.text, boxes[0].text);
        EXPECT_EQ(L"Tarnwick update", boxes[0].caption);
    }
}

// Each way a download is abandoned: by the user's Cancel, by a quit message (Exit, or the
// system ending the session), or by its watch. Nothing is left to be started, and only a
// failure is reported.
TEST_F(VersionCheckTest, AbandonedDownloadsLeaveNoFiles) {
    const DWORD self = GetCurrentThreadId();
    const struct {
        const char* what;
        int action;  // 0: press Cancel, 1: post a quit, 2: nothing (the watch decides)
        uint64_t minimumBytes;
        uint64_t totalMs;
        uint32_t fileLimit;
        Outcome outcome;
        const wchar_t* reason;  // the end of the error box's text
    } cases[] = {
        {"cancel", 0, 1, 60000, 1000000, Outcome::Cancelled, nullptr},
        {"quit", 1, 1, 60000, 1000000, Outcome::Quit, nullptr},
        {"too slow", 2, 5000, 60000, 1000000, Outcome::Failed, L"too little arrived for too long."},
        {"too long", 2, 1, 1200, 1000000, Outcome::Failed, L"The download took too long."},
        {"too large", 2, 1, 60000, 5000, Outcome::Failed, L"could not be saved to:\n\n"},
    };
    answer = IDYES;
    environment.downloadLimits.windowMs = 600;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        environment.downloadLimits.minimumBytes = c.minimumBytes;
        environment.downloadLimits.totalMs = c.totalMs;
        environment.fileLimit = c.fileLimit;
        ScriptedServer files({SlowFile(), OkReply("program bytes")});
        ScriptedServer server(
            {OkReply(SignedOffer("1.0.15", trusted, "updater bytes", "program bytes", Ascii(files.Url(L""))))});
        PointAt(server);
        std::atomic<bool> acted{false};
        std::thread user([&] {
            if (c.action == 2) {
                return;
            }
            for (int i = 0; i < 100 && !acted; ++i) {
                Sleep(50);
                HWND window = FindProgressWindow();
                if (window && i >= 8) {  // while bytes are arriving
                    if (c.action == 0) {
                        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                    } else {
                        PostThreadMessageW(self, WM_QUIT, 7, 0);
                    }
                    acted = true;
                }
            }
        });
        ULONGLONG start = GetTickCount64();
        VersionCheck check(environment);
        ULONGLONG took = GetTickCount64() - start;
        user.join();
        EXPECT_EQ(c.outcome, check.GetStartupOutcome());
        EXPECT_LT(took, 9000u);  // the file alone would take ten seconds
        EXPECT_EQ(c.action != 2, acted.load());
        EXPECT_EQ(c.action == 1, check.IsQuitPending());  // nothing more starts after a quit
        EXPECT_TRUE(started.empty());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(downloads.File(L"updater.exe").c_str()));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(downloads.File(L"Tarnwick.upd").c_str()));
        EXPECT_EQ(nullptr, FindProgressWindow());
        MSG message;
        bool quitPosted = PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
        EXPECT_EQ(c.action == 1, quitPosted);  // kept for the program's own loop
        if (quitPosted) {
            EXPECT_EQ(7u, message.wParam);
        }
        ASSERT_EQ(c.reason ? 2u : 1u, boxes.size());  // the offer, and a failure's report
        if (c.reason) {
            EXPECT_NE(std::wstring::npos, boxes[1].text.find(c.reason)) << boxes[1].text;
        }
    }
}

TEST_F(VersionCheckTest, ExitDuringTheCheckOnDemandEndsItAtOnce) {
    properties.values[L"CheckForUpdates"] = L"0";
    VersionCheck check(environment);
    ServerReply late = OkReply(SignedOffer("1.0.15", trusted));
    late.pieces.insert(late.pieces.begin(), "HTTP/1.1 200 OK\r\n");
    late.pieces[1] = late.pieces[1].substr(late.pieces[0].size());
    late.pauseMs = 1500;
    ScriptedServer server({late});
    PointAt(server);
    const DWORD self = GetCurrentThreadId();
    server.OnRequest([self] { PostThreadMessageW(self, WM_QUIT, 0, 0); });  // Exit, chosen meanwhile
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(Outcome::Quit, check.Check(nullptr, false));
    EXPECT_LT(GetTickCount64() - start, 1000u);
    EXPECT_TRUE(boxes.empty());  // no offer follows the quit
    EXPECT_TRUE(check.IsQuitPending());
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
