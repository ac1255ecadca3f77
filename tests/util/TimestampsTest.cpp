#include "util/Timestamps.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using util::LineStore;
using util::TextPosition;
using util::Timestamps;

const int64_t kHour = 3600000;

TEST(Timestamps, FormatGivesTheTimeOfDayToTheMillisecondInAFixedWidth) {
    EXPECT_EQ(L"00:00:00.000 ", Timestamps::Format(0));
    EXPECT_EQ(L"13:05:09.042 ", Timestamps::Format(20000 * 24 * kHour + 13 * kHour + 5 * 60000 + 9042));
    EXPECT_EQ(L"23:59:59.999 ", Timestamps::Format(-1)) << "before 1970";
    EXPECT_EQ(Timestamps::kWidth, Timestamps::Format(86399999).size());
}

// Each line whose start is in the text gets the local time its first character came at; a line
// cut at the length bound goes on without one.
TEST(Timestamps, TextPrefixesTheLinesThatStartInItWithTheirLocalTimes) {
    LineStore store(100000);
    util::TextStyle plain;
    store.AppendToLast(L"one", 3, plain, 1000);
    store.NewLine(2000);
    store.AppendToLast(L"two", 3, plain, 2000);
    store.NewLine(3000, true);
    store.AppendToLast(L"cut", 3, plain, 3000);
    store.NewLine(4000);
    auto local = [](int64_t utc) { return utc + kHour; };
    EXPECT_EQ(L"01:00:01.000 one\r\n01:00:02.000 twocut\r\n",
              Timestamps::Text(store, {0, 0}, store.End(), local));
    EXPECT_EQ(L"ne\r\n01:00:02.000 tw", Timestamps::Text(store, {0, 1}, {1, 2}, local));
    EXPECT_EQ(L"", Timestamps::Text(store, {1, 2}, {1, 2}, local));
}

TEST(Timestamps, SavedTextWritesTheTabsAgain) {
    LineStore store(100000);
    util::TextStyle tab;
    tab.flags |= util::TextStyle::Tab;
    store.AppendToLast(L"a", 1, util::TextStyle(), 0);
    store.AppendToLast(L"       ", 7, tab, 0);
    store.AppendToLast(L"b", 1, util::TextStyle(), 0);
    auto utc = [](int64_t time) { return time; };
    EXPECT_EQ(L"00:00:00.000 a\tb", Timestamps::Text(store, {0, 0}, store.End(), utc, true));
    EXPECT_EQ(L"00:00:00.000 a       b", Timestamps::Text(store, {0, 0}, store.End(), utc));
}

}  // namespace
