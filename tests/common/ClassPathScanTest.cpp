#include "common/ClassPathScan.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

using Entry = ClassPathScan::Entry;

Entry File(const wchar_t* name) {
    return {name, false, true};
}
Entry Folder(const wchar_t* name) {
    return {name, true, false};
}

// Folders the test lays out; any other folder cannot be listed. Records what was listed.
struct FakeTree {
    std::map<std::wstring, std::vector<Entry>> folders;
    std::vector<std::wstring> listed;

    ClassPathScan::Lister Lister() {
        return [this](const std::wstring& folder, std::vector<Entry>& entries) {
            listed.push_back(folder);
            auto found = folders.find(folder);
            if (found == folders.end()) {
                return false;
            }
            entries = found->second;
            return true;
        };
    }
};

TEST(ClassPathScan, FullPathsDepthFirstInListingOrderFromPlainFoldersOnly) {
    FakeTree tree;
    tree.folders[L"C:\\app"] = {Folder(L"."),
                                Folder(L".."),
                                File(L"z.jar"),
                                Folder(L"lib"),
                                File(L"A.JAR"),
                                File(L"b.zip"),
                                File(L"notes.txt"),
                                Entry{L"hidden", false, false},
                                Entry{L"odd.jar", false, false},
                                Folder(L"gone"),
                                File(L".jar"),
                                File(L"jar")};
    tree.folders[L"C:\\app\\lib"] = {File(L"c.jar"), Folder(L"deeper"), File(L"d.zip")};
    tree.folders[L"C:\\app\\lib\\deeper"] = {File(L"e.jar")};
    tree.folders[L"C:\\app\\hidden"] = {File(L"never.jar")};
    ClassPathScan scan(tree.Lister(), [] { return false; });

    // The root's trailing separator is not doubled; an unlistable folder ("gone") adds nothing.
    ASSERT_EQ(ClassPathScan::Outcome::Complete, scan.Scan(L"C:\\app\\"));
    EXPECT_EQ(
        L"C:\\app\\z.jar;C:\\app\\lib\\c.jar;C:\\app\\lib\\deeper\\e.jar;C:\\app\\lib\\d.zip;C:\\app\\b.zip;"
        L"C:\\app\\.jar",
        scan.GetClasspath());
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\app", L"C:\\app\\lib", L"C:\\app\\lib\\deeper", L"C:\\app\\gone"}),
              tree.listed);

    // A second scan starts afresh; a drive root joins as "C:\name".
    tree.folders[L"C:"] = {File(L"root.jar")};
    ASSERT_EQ(ClassPathScan::Outcome::Complete, scan.Scan(L"C:\\"));
    EXPECT_EQ(L"C:\\root.jar", scan.GetClasspath());
    ASSERT_EQ(ClassPathScan::Outcome::Complete, scan.Scan(L""));
    EXPECT_EQ(L"", scan.GetClasspath());
}

TEST(ClassPathScan, AStopIsHeardAtEachFolderAndWithinALargeFolder) {
    // A chain of 50 folders, one jar each: the predicate is asked before every listing.
    FakeTree chain;
    std::wstring folder = L"D:\\t";
    for (int depth = 0; depth < 50; ++depth) {
        chain.folders[folder] = {File(L"x.jar"), Folder(L"s")};
        folder += L"\\s";
    }
    int asked = 0;
    ClassPathScan deep(chain.Lister(), [&asked] { return ++asked > 5; });
    EXPECT_EQ(ClassPathScan::Outcome::Stopped, deep.Scan(L"D:\\t"));
    EXPECT_EQ(5u, chain.listed.size());  // nothing is listed once the stop is known
    EXPECT_EQ(6, asked);

    // One folder of 100,000 files (not jars: they would pass the limit): asked again and again,
    // and stopping there ends the walk.
    FakeTree flat;
    std::vector<Entry>& files = flat.folders[L"E:\\many"];
    for (int i = 0; i < 100000; ++i) {
        files.push_back(File(L"f.class"));
    }
    asked = 0;
    bool stop = false;
    ClassPathScan wide(flat.Lister(), [&] {
        ++asked;
        return stop;
    });
    ASSERT_EQ(ClassPathScan::Outcome::Complete, wide.Scan(L"E:\\many"));
    EXPECT_GE(asked, 100000 / 64);
    EXPECT_LE(asked, 100000 / 16);  // not once per file: it may cost a call into the system
    asked = 0;
    stop = true;
    EXPECT_EQ(ClassPathScan::Outcome::Stopped, wide.Scan(L"E:\\many"));
    EXPECT_EQ(1, asked);
}

TEST(ClassPathScan, AClasspathPassingOneVariablesLimitIsRefused) {
    // "R:\\" + 8 characters + ".jar" = 15 per entry, 16 with its ";": 2,048 entries make 32,767.
    FakeTree tree;
    std::vector<Entry>& files = tree.folders[L"R:"];
    std::vector<std::wstring> names;
    for (int i = 0; i < 2048; ++i) {
        wchar_t name[16];
        swprintf(name, 16, L"%08d.jar", i);
        names.push_back(name);
    }
    for (const std::wstring& name : names) {
        files.push_back({name, false, true});
    }
    ClassPathScan scan(tree.Lister(), nullptr);  // no predicate: never stopped
    ASSERT_EQ(ClassPathScan::Outcome::Complete, scan.Scan(L"R:\\"));
    EXPECT_EQ(ClassPathScan::MaxLength, scan.GetClasspath().size());
    EXPECT_EQ(32767u, ClassPathScan::MaxLength);

    files.back().name = L"x" + files.back().name;  // one character more than fits
    EXPECT_EQ(ClassPathScan::Outcome::TooLong, scan.Scan(L"R:"));
}

}  // namespace
