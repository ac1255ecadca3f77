#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ReadyText.h"
#include "common/RunReadiness.h"
#include "common/StartOrder.h"

namespace {

bool Feed(ReadyText& ready, const std::wstring& output) {
    return ready.Feed(output.data(), output.size());
}

void Feed(RunReadiness& run, const std::wstring& output) {
    run.Feed(output.data(), output.size());
}

StartOrderSettings After(const std::wstring& title, const std::wstring& ready = L"") {
    StartOrderSettings order;
    order.after = title;
    order.afterSet = true;
    order.ready = ready;
    order.readySet = !ready.empty();
    return order;
}

StartOrder::Entry Entry(const std::wstring& title, const RunReadiness* run, StartOrderSettings order = {}) {
    StartOrder::Entry entry;
    entry.title = title;
    entry.order = order;
    entry.waiting = order.afterSet;
    entry.run = run;
    return entry;
}

}  // namespace

TEST(ReadyText, FindsTheTextInOneLineHoweverTheReadsCutIt) {
    ReadyText cut(L"ready");
    EXPECT_FALSE(Feed(cut, L"server is re"));
    EXPECT_FALSE(Feed(cut, L"a"));
    EXPECT_TRUE(Feed(cut, L"dy now\r\n"));
    EXPECT_TRUE(Feed(cut, L"later output"));  // found stays found

    for (const wchar_t* breakChar : {L"\n", L"\r"}) {
        ReadyText split(L"ready");
        EXPECT_FALSE(Feed(split, L"rea"));
        EXPECT_FALSE(Feed(split, breakChar));
        EXPECT_FALSE(Feed(split, L"dy")) << "a line break between the halves";
    }
    ReadyText caseCounts(L"ready");
    EXPECT_FALSE(Feed(caseCounts, L"Ready\r\nREADY\r\n"));
    EXPECT_TRUE(Feed(caseCounts, L"xx\r\nall ready"));
    caseCounts.Reset();
    EXPECT_FALSE(caseCounts.Found());
}

TEST(RunReadiness, ARunIsReadyByItsTextOrByEndingWellAndForgetsItWhenItStopsOrStartsAgain) {
    RunReadiness run;
    run.Watch({L"listening"});
    EXPECT_FALSE(run.IsReadyFor(After(L"db")));
    Feed(run, L"listening\n");  // before any run: nobody's output
    run.BeginRun();
    EXPECT_TRUE(run.IsReadyFor(After(L"db")));
    EXPECT_FALSE(run.IsReadyFor(After(L"db", L"listening")));
    EXPECT_FALSE(run.IsReadyFor(After(L"db", L"never watched")));
    Feed(run, L"port 80 listen");
    Feed(run, L"ing\r\n");
    EXPECT_TRUE(run.IsReadyFor(After(L"db", L"listening")));
    run.Watch({L"listening", L"accepting"});  // a reload adds a dependent: what was seen stays
    EXPECT_TRUE(run.IsReadyFor(After(L"db", L"listening")));
    EXPECT_FALSE(run.IsReadyFor(After(L"db", L"accepting")));

    run.BeginRun();  // a new run has shown nothing yet
    EXPECT_FALSE(run.IsReadyFor(After(L"db", L"listening")));
    run.EndRun(true);  // a one-shot step that ended by itself with exit code 0
    EXPECT_TRUE(run.IsReadyFor(After(L"db", L"listening")));
    EXPECT_TRUE(run.IsReadyFor(After(L"db", L"accepting")));
    run.BeginRun();
    Feed(run, L"listening\r\n");
    run.EndRun(false);  // failed or stopped: ready for nobody
    EXPECT_FALSE(run.IsReadyFor(After(L"db", L"listening")));
    EXPECT_FALSE(run.IsReadyFor(After(L"db")));
}

TEST(StartOrder, WaitingEntriesAreDueOnceTheirPredecessorsRunIsReadyAndACycleNeverIs) {
    RunReadiness setUp, server, idle;
    setUp.BeginRun();
    setUp.EndRun(true);  // ready before its dependent came along
    server.Watch({L"ready"});
    server.BeginRun();
    std::vector<StartOrder::Entry> entries = {
        Entry(L"setup", &setUp),
        Entry(L"server", &server, After(L"setup", L"done")),
        Entry(L"web", nullptr, After(L"server", L"ready")),
        Entry(L"Web", nullptr, After(L"Server")),  // titles compare exactly: no such entry
        Entry(L"tool", nullptr, After(L"idle")),   // its predecessor never started
        Entry(L"idle", &idle),
        Entry(L"a", &idle, After(L"b")),
        Entry(L"b", &idle, After(L"a")),
    };
    entries[1].waiting = false;  // already started
    EXPECT_EQ((std::vector<size_t>{}), StartOrder::Due(entries));
    entries[1].waiting = true;
    EXPECT_EQ((std::vector<size_t>{1}), StartOrder::Due(entries));
    Feed(server, L"ready\n");
    EXPECT_EQ((std::vector<size_t>{1, 2}), StartOrder::Due(entries));

    std::vector<std::vector<std::wstring>> watched = StartOrder::WatchedTexts(entries);
    EXPECT_EQ((std::vector<std::wstring>{L"done"}), watched[0]);
    EXPECT_EQ((std::vector<std::wstring>{L"ready"}), watched[1]);
    EXPECT_TRUE(watched[5].empty());
}
