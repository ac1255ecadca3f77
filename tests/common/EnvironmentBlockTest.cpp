#include "common/EnvironmentBlock.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

TEST(EnvironmentBlock, EntriesFollowEachOtherAndEndWithAnEmptyString) {
    EnvironmentBlock block;
    ASSERT_TRUE(block.Append(L"A", L"1"));
    ASSERT_TRUE(block.AppendInherited(L"PATH=C:\\bin;D:\\x"));
    const wchar_t expected[] = L"A=1\0PATH=C:\\bin;D:\\x\0";  // the literal adds the final null
    EXPECT_EQ(0, std::wmemcmp(expected, block.Data(), sizeof(expected) / sizeof(wchar_t)));
    EXPECT_EQ((4 + 17) * sizeof(wchar_t), block.UsedBytes());
    EXPECT_EQ((std::vector<std::wstring>{L"A=1", L"PATH=C:\\bin;D:\\x"}), block.Entries());

    block.Clear();
    EXPECT_EQ(0u, block.UsedBytes());
    EXPECT_TRUE(block.Entries().empty());
    EXPECT_EQ(L'\0', block.Data()[0]);
    EXPECT_EQ(L'\0', block.Data()[4]);  // cleared, not only rewound
}

TEST(EnvironmentBlock, ClasspathIsLeftOutInAnyLetterCaseUnlessItsValueHoldsAnEquals) {
    EnvironmentBlock block;
    EXPECT_TRUE(block.AppendInherited(L"CLASSPATH=C:\\a.jar"));
    EXPECT_TRUE(block.AppendInherited(L"ClassPath=x"));
    EXPECT_TRUE(block.AppendInherited(L"classpath="));
    EXPECT_TRUE(block.Entries().empty());

    // Split at the last "=": the name is then "CLASSPATH=a", which is passed on, whole.
    EXPECT_TRUE(block.AppendInherited(L"CLASSPATH=a=b"));
    EXPECT_TRUE(block.AppendInherited(L"OPTS=-Dx=1 -Dy=2"));
    EXPECT_TRUE(block.AppendInherited(L"CLASSPATHS=kept"));
    EXPECT_TRUE(block.AppendInherited(L"no equals sign"));
    EXPECT_EQ((std::vector<std::wstring>{L"CLASSPATH=a=b", L"OPTS=-Dx=1 -Dy=2", L"CLASSPATHS=kept"}), block.Entries());
}

TEST(EnvironmentBlock, AnEntryThatDoesNotFitIsRefusedWhole) {
    EnvironmentBlock block;
    std::wstring value(32000, L'v');
    int added = 0;
    while (block.Append(L"N", value.c_str())) {
        ++added;
    }
    ASSERT_EQ(4, added);  // 4 x 32,003 units fit in 131,072; a fifth does not
    size_t used = block.UsedBytes();
    EXPECT_FALSE(block.AppendInherited((L"M=" + value).c_str()));
    EXPECT_EQ(used, block.UsedBytes());
    EXPECT_EQ(4u, block.Entries().size());

    // Filling up to the last unit: the final empty string always keeps its place.
    size_t free = EnvironmentBlock::CapacityUnits - used / sizeof(wchar_t);
    std::wstring rest(free - 4, L'r');  // "R=" + rest + null leaves exactly one unit
    EXPECT_FALSE(block.Append(L"RR", rest.c_str()));
    ASSERT_TRUE(block.Append(L"R", rest.c_str()));
    EXPECT_EQ((EnvironmentBlock::CapacityUnits - 1) * sizeof(wchar_t), block.UsedBytes());
    EXPECT_EQ(L'\0', block.Data()[EnvironmentBlock::CapacityUnits - 1]);
    EXPECT_FALSE(block.Append(L"", L""));
}

}  // namespace
