#include "common/ConsoleHints.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/EnvironmentBlock.h"

namespace {

std::vector<std::wstring> HintsFor(const std::vector<std::wstring>& inherited) {
    EnvironmentBlock block;
    for (const std::wstring& entry : inherited) {
        block.AppendInherited(entry.c_str());
    }
    EXPECT_TRUE(ConsoleHints::Apply(block));
    std::vector<std::wstring> entries = block.Entries();
    return std::vector<std::wstring>(entries.begin() + static_cast<long>(inherited.size()), entries.end());
}

}  // namespace

TEST(ConsoleHints, AddOnlyWhatTheEnvironmentLacks) {
    using List = std::vector<std::wstring>;
    EXPECT_EQ((List{L"FORCE_COLOR=1", L"PYTHONUNBUFFERED=1"}), HintsFor({L"PATH=C:\\bin"}));
    EXPECT_EQ((List{L"PYTHONUNBUFFERED=1"}), HintsFor({L"NO_COLOR=1"}));
    EXPECT_EQ((List{L"PYTHONUNBUFFERED=1"}), HintsFor({L"force_color=0"}));  // names without case
    EXPECT_EQ((List{L"FORCE_COLOR=1"}), HintsFor({L"PythonUnbuffered="}));
    EXPECT_EQ((List{}), HintsFor({L"FORCE_COLOR=3", L"PYTHONUNBUFFERED=0"}));
    // Names that only begin like a hint are other variables.
    EXPECT_EQ((List{L"FORCE_COLOR=1", L"PYTHONUNBUFFERED=1"}), HintsFor({L"FORCE_COLORS=1", L"NO_COLOR_X=1"}));
}

TEST(ConsoleHints, ReportWhenTheBlockIsFull) {
    EnvironmentBlock block;
    std::wstring value(EnvironmentBlock::CapacityUnits - 20, L'x');
    ASSERT_TRUE(block.Append(L"BIG", value.c_str()));
    EXPECT_FALSE(ConsoleHints::Apply(block));
    EXPECT_FALSE(block.Contains(L"PYTHONUNBUFFERED"));
    EXPECT_TRUE(block.Contains(L"big"));
    EXPECT_FALSE(block.Contains(L"BI"));
}
