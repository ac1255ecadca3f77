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

    block.Clear();
    EXPECT_EQ(0u, block.UsedBytes());
    EXPECT_EQ(L'\0', block.Data()[0]);
    EXPECT_EQ(L'\0', block.Data()[4]);  // cleared, not only rewound
}

TEST(EnvironmentBlock, ClasspathIsLeftOutInAnyLetterCaseWhateverItsValue) {
    EnvironmentBlock block;
    // Split at the first "=": a value may hold more of them, the name never does.
    for (const wchar_t* entry :
         {L"CLASSPATH=C:\\a.jar", L"ClassPath=x", L"classpath=", L"CLASSPATH=a=b", L"CLASSPATH==", L"OPTS=-Dx=1 -Dy=2",
          L"CLASSPATHS=kept", L"=C:=C:\\dir", L"no equals sign"}) {
        EXPECT_TRUE(block.AppendInherited(entry)) << entry;  // left out is not refused
    }
    EXPECT_EQ((std::vector<std::wstring>{L"OPTS=-Dx=1 -Dy=2", L"CLASSPATHS=kept", L"=C:=C:\\dir"}), block.Entries());
}

TEST(EnvironmentBlock, SortingOrdersByNameLetterCaseAside) {
    EnvironmentBlock block;
    for (const wchar_t* entry :
         {L"Path=4", L"cmdline=3", L"P_X=after PATH", L"CLASSPATHS=2", L"ZZ=", L"Class=1",
          L"CLASSPATH=C:\\a.jar;C:\\b=c.jar", L"A=first", L"ALLUSERSPROFILE=C:\\x", L"a=second"}) {
        ASSERT_TRUE(block.Append(std::wstring(entry).substr(0, std::wstring(entry).find(L'=')).c_str(),
                                 std::wcschr(entry, L'=') + 1));
    }
    size_t used = block.UsedBytes();
    block.Sort();
    // A name before the longer ones it begins; "_" after the letters; equal names keep their order.
    EXPECT_EQ((std::vector<std::wstring>{L"A=first", L"a=second", L"ALLUSERSPROFILE=C:\\x", L"Class=1",
                                         L"CLASSPATH=C:\\a.jar;C:\\b=c.jar", L"CLASSPATHS=2", L"cmdline=3", L"Path=4",
                                         L"P_X=after PATH", L"ZZ="}),
              block.Entries());
    EXPECT_EQ(used, block.UsedBytes());
    EXPECT_EQ(L'\0', block.Data()[used / sizeof(wchar_t)]);  // the block's closing empty string
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
