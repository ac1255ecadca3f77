#include "common/ProgramSearch.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A file system that holds the given files, and records every path looked at.
class Files {
public:
    explicit Files(std::set<std::wstring> present) : present(std::move(present)) {}
    ProgramSearch Search() {
        ProgramSearch search([this](const std::wstring& path) {
            looked.push_back(path);
            return present.count(path) > 0;
        });
        search.SetFolders(L"C:\\Tarnwick", L"C:\\Windows\\system32", L"C:\\Windows");
        search.SetBase(L"D:\\work");
        return search;
    }
    std::set<std::wstring> present;
    std::vector<std::wstring> looked;
};

TEST(ProgramSearch, ABareNameIsLookedForInOrderWithExeAfterEachFolderAndNeverInTheCurrentDirectory) {
    Files files({L"C:\\Windows\\notepad.exe", L"E:\\bin\\tool.exe", L"F:\\x\\tool.exe", L"C:\\Tarnwick\\DemoTicker.exe",
                 L"C:\\Windows\\system32\\cmd.exe", L"D:\\work\\planted.exe"});
    ProgramSearch search = files.Search();
    search.SetPath(L".;bin;\"E:\\bin\";;F:\\x\\");
    EXPECT_EQ(L"C:\\Tarnwick\\DemoTicker.exe", search.Find(L"DemoTicker.exe"));
    EXPECT_EQ(L"C:\\Windows\\system32\\cmd.exe", search.Find(L"cmd.exe"));
    EXPECT_EQ(L"E:\\bin\\tool.exe", search.Find(L"tool"));
    EXPECT_EQ(L"", search.Find(L"planted"));  // only the base folder has it, and a bare name is never looked for there
    files.looked.clear();
    EXPECT_EQ(L"C:\\Windows\\notepad.exe", search.Find(L"notepad"));
    const std::vector<std::wstring> order = {L"C:\\Tarnwick\\notepad",          L"C:\\Tarnwick\\notepad.exe",
                                             L"C:\\Windows\\system32\\notepad", L"C:\\Windows\\system32\\notepad.exe",
                                             L"C:\\Windows\\notepad",           L"C:\\Windows\\notepad.exe"};
    EXPECT_EQ(order, files.looked);
    // PATH's relative entries are left out; a folder ending in a backslash gets no second one.
    files.looked.clear();
    EXPECT_EQ(L"", search.Find(L"none.exe"));
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\Tarnwick\\none.exe", L"C:\\Windows\\system32\\none.exe",
                                         L"C:\\Windows\\none.exe", L"E:\\bin\\none.exe", L"F:\\x\\none.exe"}),
              files.looked);
}

TEST(ProgramSearch, APathIsTakenAsWrittenThenWithExeAndARelativeOneAgainstTheBase) {
    Files files({L"C:\\My Tools\\tool.exe", L"C:\\My.exe", L"D:\\work\\bin\\run.bat", L"D:\\work\\..\\up.exe",
                 L"\\\\srv\\share\\t.exe", L"D:\\rooted.exe", L"E:\\drive.exe", L"D:\\work\\drive.exe"});
    ProgramSearch search = files.Search();
    EXPECT_EQ(L"C:\\My Tools\\tool.exe", search.Find(L"C:\\My Tools\\tool"));
    EXPECT_EQ(L"", search.Find(L"C:\\My Tools\\tool -x"));  // never the planted C:\My.exe
    EXPECT_EQ(L"D:\\work\\bin\\run.bat", search.Find(L"bin\\run.bat"));
    EXPECT_EQ(L"D:\\work\\..\\up.exe", search.Find(L"..\\up"));
    EXPECT_EQ(L"\\\\srv\\share\\t.exe", search.Find(L"\\\\srv\\share\\t"));
    EXPECT_EQ(L"D:\\rooted.exe", search.Find(L"\\rooted.exe"));
    EXPECT_EQ(L"D:\\work\\drive.exe", search.Find(L"D:drive.exe"));
    EXPECT_EQ(L"E:\\drive.exe", search.Find(L"E:drive.exe"));
    EXPECT_EQ(L"", search.Find(L""));
    files.looked.clear();
    EXPECT_EQ(L"", search.Find(L"C:\\a\\tool.EXE"));
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\a\\tool.EXE"}, files.looked);  // no second ".exe"
}

TEST(ProgramSearch, OnlyAQuotedValueGoesOnAfterItsProgram) {
    ProgramSearch::Value quoted = ProgramSearch::Split(L"  \"C:\\My Tools\\run it.bat\"  -x \"y\" ");
    EXPECT_EQ(L"C:\\My Tools\\run it.bat", quoted.program);
    EXPECT_EQ(L"-x \"y\"", quoted.rest);
    EXPECT_TRUE(quoted.quoted);
    EXPECT_FALSE(quoted.unclosed);
    EXPECT_TRUE(ProgramSearch::IsBatchFile(quoted.program));  // the quotes are off before the test

    ProgramSearch::Value plain = ProgramSearch::Split(L"C:\\My Tools\\tool -x ");
    EXPECT_EQ(L"C:\\My Tools\\tool -x", plain.program);
    EXPECT_EQ(L"", plain.rest);
    EXPECT_FALSE(plain.quoted);

    ProgramSearch::Value unclosed = ProgramSearch::Split(L"\"C:\\a b\\x.exe");
    EXPECT_TRUE(unclosed.unclosed);
    EXPECT_EQ(L"C:\\a b\\x.exe", unclosed.program);

    for (const wchar_t* batch : {L"a.BAT", L"b.Cmd", L"c.bat"}) {
        EXPECT_TRUE(ProgramSearch::IsBatchFile(batch)) << batch;
    }
    for (const wchar_t* other : {L"a.bat.exe", L"bat", L"x.cm", L""}) {
        EXPECT_FALSE(ProgramSearch::IsBatchFile(other)) << other;
    }
}

}  // namespace
