#include "common/LogFileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Files in memory; opens, writes and renames fail on demand.
class FakeFiles : public IFileWriter {
public:
    bool Open(const std::wstring& path, std::wstring& error) override {
        ++opens;
        if (failOpen) {
            error = L"Access is denied.";
            return false;
        }
        open = path;
        contents[path];  // created when missing
        return true;
    }
    void Close() override { open.clear(); }
    bool IsOpen() const override { return !open.empty(); }
    uint64_t Size() const override { return contents.at(open).size(); }
    bool Write(const char* bytes, size_t count, std::wstring& error) override {
        if (failWrites > 0) {
            --failWrites;
            error = L"The disk is full.";
            return false;
        }
        contents[open].append(bytes, count);
        return true;
    }
    bool Rename(const std::wstring& from, const std::wstring& to, std::wstring& error) override {
        if (failRenames.count(renames++)) {
            failedTo.push_back(to);
        }
        if (held.count(from) || !contents.count(from) || contents.count(to) || failRenames.count(renames - 1)) {
            error = L"The process cannot access the file because it is being used by another process.";
            return false;
        }
        contents[to] = contents[from];
        contents.erase(from);
        return true;
    }
    bool Remove(const std::wstring& path, std::wstring& error) override {
        if (held.count(path)) {
            error = L"held";
            return false;
        }
        contents.erase(path);
        return true;
    }
    bool Exists(const std::wstring& path) const override { return contents.count(path) > 0; }

    std::map<std::wstring, std::string> contents;
    std::wstring open;
    std::set<std::wstring> held;
    bool failOpen = false;
    int failWrites = 0;
    int opens = 0;
    int renames = 0;
    std::set<int> failRenames;  // which renames fail, counted from 0
    std::vector<std::wstring> failedTo;  // the targets of those that did
};

const LogFileWriter::LocalTime At = {2026, 12, 7, 15, 4, 5, 123};
const std::string Stamp = "2026-12-07 15:04:05.123 ";  // 24 bytes

struct Fixture {
    FakeFiles files;
    std::vector<std::wstring> reports;
    LogFileWriter::Reporter Reporter() {
        return [this](const std::wstring& line) { reports.push_back(line); };
    }
};

TEST(LogFileWriter, LinesAreStampedJoinedAcrossPiecesAndOverstruckByBareReturns) {
    Fixture f;
    {
        LogFileWriter writer(f.files, L"C:\\l\\server.log", 0, 5, f.Reporter());
        writer.Append(L"first li", At);
        writer.Append(L"ne\r\nsecond\n", LogFileWriter::LocalTime{2027, 1, 2, 3, 4, 5, 6});
        writer.Append(L"10%\r50%\r100%\r\n\u20AC", At);
        writer.WriteLine(L"Exit code 0\r\n", At);
        writer.Append(L"left open", At);
    }  // the end writes what is left
    EXPECT_EQ(Stamp + "first line\r\n" + "2027-01-02 03:04:05.006 second\r\n" + Stamp + "100%\r\n" + Stamp +
                  "\xE2\x82\xAC\r\n" + Stamp + "Exit code 0\r\n" + Stamp + "left open\r\n",
              f.files.contents[L"C:\\l\\server.log"]);
    EXPECT_TRUE(f.reports.empty());
    EXPECT_EQ(L"abc", LogFileWriter::Overstruck(L"xyzdef\rabc"));  // as the window shows it
    EXPECT_EQ(L"done   ", LogFileWriter::Overstruck(L"working\r\rdone   \r"));
}

TEST(LogFileWriter, EscapeCodesAndControlsAreCarriedOutAsTheWindowShowsThem) {
    Fixture f;
    {
        LogFileWriter writer(f.files, L"c.log", 0, 1, f.Reporter());
        writer.Append(L"\x1B[31mred\x1B[0m and \x1B]0;title\x07plain\n", At);
        for (std::string piece : {"ab\bc\x1B[2Kd\ttab\r\n", "\x1B[1", "mbold\x1B[0m\n"}) {
            writer.AppendAscii(piece.data(), piece.size(), At);  // the middle one cuts a sequence
        }
    }
    EXPECT_EQ(Stamp + "red and plain\r\n" + Stamp + "acd\ttab\r\n" + Stamp + "bold\r\n", f.files.contents[L"c.log"]);
}

// The same output as bytes and as wide text, cut at every place, makes the same file.
TEST(LogFileWriter, AsciiPiecesMakeTheSameFileAsWideOnesWhereverTheyAreCut) {
    const std::string output = "one\r\ntwo\n10%\r100%\r\n\x1B[32mgreen\x1B[0m\n\ntail\tend\r\nopen";
    const std::string expected = Stamp + "one\r\n" + Stamp + "two\r\n" + Stamp + "100%\r\n" + Stamp + "green\r\n" +
                                 Stamp + "\r\n" + Stamp + "tail\tend\r\n" + Stamp + "open\r\n";
    for (size_t cut = 0; cut <= output.size(); ++cut) {
        Fixture bytes, wide;
        {
            LogFileWriter a(bytes.files, L"b.log", 0, 1, bytes.Reporter());
            LogFileWriter b(wide.files, L"w.log", 0, 1, wide.Reporter());
            a.AppendAscii(output.data(), cut, At, false);
            a.AppendAscii(output.data() + cut, output.size() - cut, At, false);
            b.Append(std::wstring(output.begin(), output.begin() + cut), At);
            b.Append(std::wstring(output.begin() + cut, output.end()), At);
        }
        EXPECT_EQ(expected, bytes.files.contents[L"b.log"]) << cut;
        EXPECT_EQ(expected, wide.files.contents[L"w.log"]) << cut;
    }
}

TEST(LogFileWriter, AFloodOfByteLinesRotatesAndBuffersAsWideTextDoes) {
    // Lines of every length from empty to past the file's size, some ended by CR LF, in pieces
    // that cut them anywhere: the byte path must rotate and split exactly where the wide one does.
    std::string flood;
    for (int n = 0; n < 3000; ++n) {
        flood += std::string(static_cast<size_t>(n * 37 % 1200), static_cast<char>('a' + n % 26));
        flood += n % 7 == 0 ? "\r\n" : "\n";
    }
    // Files smaller and larger than what the writer buffers before it writes.
    for (uint64_t maxBytes : {uint64_t(50000), uint64_t(600000)}) {
        for (size_t piece : {size_t(1), size_t(63), size_t(4096), size_t(70000), flood.size()}) {
            Fixture bytes, wide;
            {
                LogFileWriter a(bytes.files, L"r.log", maxBytes, 3, bytes.Reporter());
                LogFileWriter b(wide.files, L"r.log", maxBytes, 3, wide.Reporter());
                for (size_t at = 0; at < flood.size(); at += piece) {
                    size_t count = std::min(piece, flood.size() - at);
                    a.AppendAscii(flood.data() + at, count, At, false);
                    b.Append(std::wstring(flood.begin() + at, flood.begin() + at + count), At, false);
                }
            }
            ASSERT_GE(bytes.files.contents.size(), 3u) << piece;
            EXPECT_EQ(wide.files.contents, bytes.files.contents) << piece;
            for (const auto& file : bytes.files.contents) {
                EXPECT_LE(file.second.size(), maxBytes) << piece;
            }
            EXPECT_TRUE(bytes.reports.empty()) << piece;
        }
    }
}

TEST(LogFileWriter, AnEndlessLineIsWrittenAsItComesAndEndlessRewritesKeepOnlyWhatTheyShow) {
    Fixture f;
    LogFileWriter writer(f.files, L"s.log", 0, 1, f.Reporter());
    for (int i = 0; i < 64; ++i) {
        writer.Append(std::wstring(32768, L'y'), At);  // 2M units without a line feed
    }
    EXPECT_GE(f.files.contents[L"s.log"].size(), 2000000u);  // on disk before the line's end
    writer.Append(L"\n", At);
    f.files.contents[L"s.log"].clear();
    writer.Append(std::wstring(40000, L'z') + L"\r", At);
    writer.Append(std::wstring(40000, L'z') + L"\r", At);
    writer.Append(L"\n", At);  // a CR LF cut after the bound ends the line and adds no empty one
    EXPECT_EQ(Stamp + std::string(40000, 'z') + "\r\n", f.files.contents[L"s.log"]);
    f.files.contents[L"s.log"].clear();
    for (int i = 0; i < 40000; ++i) {
        writer.Append(L"\r" + std::to_wstring(i % 100) + L"%", At);
    }
    writer.Append(L"\r\n", At);
    EXPECT_EQ(Stamp + "99%\r\n", f.files.contents[L"s.log"]);  // rewritten, never cut
}

TEST(LogFileWriter, BackupNamesKeepTheExtension) {
    EXPECT_EQ(L"C:\\l\\server.1.log", LogFileWriter::BackupName(L"C:\\l\\server.log", 1));
    EXPECT_EQ(L"C:\\a.b\\server.12", LogFileWriter::BackupName(L"C:\\a.b\\server", 12));
    EXPECT_EQ(L"C:\\l\\.log.3", LogFileWriter::BackupName(L"C:\\l\\.log", 3));
}

TEST(LogFileWriter, RotationAtLineBoundariesShiftsBackupsAndDeletesTheOldest) {
    Fixture f;
    const std::wstring path = L"C:\\l\\s.log";
    // Each record is 24 + 974 + 2 = 1000 bytes: two fit in 2,000, the third rotates.
    const std::wstring line = std::wstring(974, L'a');
    LogFileWriter writer(f.files, path, 2000, 2, f.Reporter());
    for (wchar_t n = L'1'; n <= L'8'; ++n) {
        writer.WriteLine(std::wstring(1, n) + line.substr(1), At);
    }
    ASSERT_EQ(3u, f.files.contents.size());  // current and two backups: the oldest went
    auto first = [&](const std::wstring& name) { return std::string(1, f.files.contents[name][24]); };
    EXPECT_EQ(2000u, f.files.contents[path].size());
    EXPECT_EQ("7", first(path));
    EXPECT_EQ("5", first(L"C:\\l\\s.1.log"));
    EXPECT_EQ("3", first(L"C:\\l\\s.2.log"));
    EXPECT_EQ(2000u, f.files.contents[L"C:\\l\\s.2.log"].size());
    EXPECT_TRUE(f.reports.empty());
}

TEST(LogFileWriter, ALineLongerThanTheFileIsSplitAtCharacterStarts) {
    Fixture f;
    LogFileWriter writer(f.files, L"x.log", 1024, 3, f.Reporter());
    // 1,000 three-byte characters: 998 bytes of room per record takes 332 of them.
    writer.WriteLine(std::wstring(1000, L'\u20AC'), At);
    size_t records = 0;
    std::string joined;
    for (const auto& file : f.files.contents) {
        EXPECT_LE(file.second.size(), 1024u);
        for (size_t at = 0; at < file.second.size(); ++records) {
            size_t end = file.second.find("\r\n", at);
            EXPECT_EQ(Stamp, file.second.substr(at, 24));
            std::string piece = file.second.substr(at + 24, end - at - 24);
            EXPECT_EQ(0u, piece.size() % 3);  // never a cut character
            joined += piece;
            at = end + 2;
        }
    }
    EXPECT_EQ(4u, records);
    EXPECT_EQ(3000u, joined.size());
}

TEST(LogFileWriter, AFailedRenameKeepsWritingAndAFailedWriteIsReportedOnce) {
    Fixture f;
    const std::wstring path = L"s.log";
    LogFileWriter writer(f.files, path, 2000, 2, f.Reporter());
    const std::wstring line(974, L'b');
    f.files.held.insert(path);
    for (int i = 0; i < 5; ++i) {
        writer.WriteLine(line, At);
    }
    EXPECT_EQ(5000u, f.files.contents[path].size());  // nothing lost, nothing rotated
    EXPECT_EQ(1u, f.files.contents.size());
    f.files.held.clear();
    writer.WriteLine(line, At);
    writer.WriteLine(line, At);  // past the size grown since the last try: rotates now
    EXPECT_EQ(1000u, f.files.contents[path].size());
    EXPECT_EQ(6000u, f.files.contents[L"s.1.log"].size());

    f.files.failWrites = 3;
    for (int i = 0; i < 4; ++i) {
        writer.WriteLine(L"w", At);
    }
    EXPECT_EQ(1000u + 27u, f.files.contents[path].size());  // the fourth went through
    const std::vector<std::wstring> expected = {
        L"Log file: cannot rotate s.log: The process cannot access the file because it is being used by another "
        L"process.",
        L"Log file: cannot write s.log: The disk is full."};
    EXPECT_EQ(expected, f.reports);
}

TEST(LogFileWriter, AFileThatCannotBeOpenedIsReportedOnceAndTriedAgain) {
    Fixture f;
    f.files.failOpen = true;
    LogFileWriter writer(f.files, L"C:\\no\\s.log", 0, 1, f.Reporter());
    writer.WriteLine(L"lost", At);
    writer.WriteLine(L"lost too", At);
    f.files.failOpen = false;
    writer.WriteLine(L"kept", At);
    EXPECT_EQ(Stamp + "kept\r\n", f.files.contents[L"C:\\no\\s.log"]);
    EXPECT_EQ(std::vector<std::wstring>{L"Log file: cannot write C:\\no\\s.log: Access is denied."}, f.reports);

    // A rotating file that will not open is tried once a write, not once a line.
    Fixture g;
    g.files.failOpen = true;
    LogFileWriter rotating(g.files, L"r.log", 1 << 20, 1, g.Reporter());
    std::string flood;
    for (int i = 0; i < 10000; ++i) {
        flood += "line " + std::to_string(i) + "\n";
    }
    rotating.AppendAscii(flood.data(), flood.size(), At);
    rotating.Append(L"one more\n", At);
    EXPECT_LE(g.files.opens, 4);
    EXPECT_EQ(1u, g.reports.size());
}

TEST(LogFileWriter, WithoutBackupsARotationStartsTheFileAfreshAndAHeldFileGrowsOn) {
    Fixture f;
    LogFileWriter writer(f.files, L"s.log", 2000, 0, f.Reporter());
    const std::wstring line(974, L'c');
    for (int i = 0; i < 5; ++i) {
        writer.WriteLine(line, At);
    }
    EXPECT_EQ(1u, f.files.contents.size());
    EXPECT_EQ(1000u, f.files.contents[L"s.log"].size());  // the fifth line, after two rotations
    f.files.held.insert(L"s.log");
    for (int i = 0; i < 3; ++i) {
        writer.WriteLine(line, At);
    }
    EXPECT_EQ(4000u, f.files.contents[L"s.log"].size());
    EXPECT_EQ(1u, f.reports.size());
}

TEST(LogFileWriter, AFailedRotationDeletesNoBackupAndAWorkingOneShiftsThemAll) {
    Fixture f;
    const std::wstring path = L"s.log";
    f.files.contents = {
        {path, std::string(1500, 'x')}, {L"s.1.log", "one"}, {L"s.2.log", "two"}, {L"s.3.log", "three"}};
    LogFileWriter writer(f.files, path, 2000, 3, f.Reporter());
    const std::wstring line(974, L'd');
    auto backups = [&] {
        return f.files.contents[L"s.1.log"] + "," + f.files.contents[L"s.2.log"] + "," + f.files.contents[L"s.3.log"];
    };
    f.files.held = {L"s.2.log"};  // a viewer holds a backup: the shift stops before it
    writer.WriteLine(line, At);
    EXPECT_EQ("one,two,three", backups());
    EXPECT_EQ(2500u, f.files.contents[path].size());
    f.files.held = {path};  // now the current file: the rotation stops before any backup moves
    for (int i = 0; i < 3; ++i) {
        writer.WriteLine(line, At);
    }
    EXPECT_EQ("one,two,three", backups());
    EXPECT_EQ(4u, f.files.contents.size());  // nothing left aside either
    EXPECT_EQ(5500u, f.files.contents[path].size());
    EXPECT_EQ(1u, f.reports.size());
    f.files.held.clear();
    writer.WriteLine(line, At);
    EXPECT_EQ(5500u, f.files.contents[L"s.1.log"].size());
    EXPECT_EQ("one,two", backups().substr(5501));  // "three" was the oldest
    EXPECT_EQ(1000u, f.files.contents[path].size());
    EXPECT_EQ(4u, f.files.contents.size());
}

TEST(LogFileWriter, ABackupHeldFurtherDownUndoesTheMovesMadeBeforeIt) {
    for (uint32_t backups : {2u, 3u}) {
        Fixture f;
        f.files.contents = {{L"s.log", std::string(1500, 'x')}, {L"s.1.log", "one"}, {L"s.2.log", "two"}};
        if (backups == 3) {
            f.files.contents[L"s.3.log"] = "three";
        }
        auto before = f.files.contents;
        f.files.held = {L"s.1.log"};
        LogFileWriter writer(f.files, L"s.log", 2000, backups, f.Reporter());
        writer.WriteLine(std::wstring(974, L'd'), At);
        EXPECT_EQ(2500u, f.files.contents[L"s.log"].size());  // the line went to the current file
        f.files.contents[L"s.log"].resize(1500);
        EXPECT_EQ(before, f.files.contents) << backups;
        EXPECT_EQ(1u, f.reports.size());
    }
}

// The files after one line that rotates a current file of 1,500 bytes ("x"s) among others.
std::map<std::wstring, std::string> RotatedOnce(std::map<std::wstring, std::string> others, uint32_t backups) {
    Fixture f;
    f.files.contents = std::move(others);
    f.files.contents[L"s.log"] = std::string(1500, 'x');
    LogFileWriter writer(f.files, L"s.log", 2000, backups, f.Reporter());
    writer.WriteLine(std::wstring(974, L'd'), At);
    EXPECT_TRUE(f.reports.empty());
    EXPECT_EQ(1000u, f.files.contents[L"s.log"].size());
    EXPECT_EQ(1500u, f.files.contents[L"s.1.log"].size());
    return f.files.contents;
}

TEST(LogFileWriter, ARotationFillsTheFirstGapAndClearsWhatACutRotationLeft) {
    auto gap = RotatedOnce({{L"s.1.log", "one"}, {L"s.3.log", "three"}, {L"s.log.expired", "left"}}, 3);
    EXPECT_EQ("one", gap[L"s.2.log"]);
    EXPECT_EQ("three", gap[L"s.3.log"]);  // the gap made room: nothing went
    EXPECT_EQ(4u, gap.size());
    // A leftover of the current file is kept, one of the oldest backup goes.
    auto cut = RotatedOnce({{L"s.1.log", "one"}, {L"s.log.rotating", "cut"}, {L"s.log.expired", "old"}}, 1);
    EXPECT_EQ("cut", cut[L"s.log.rotating"]);
    EXPECT_EQ(3u, cut.size());
    EXPECT_EQ(2u, RotatedOnce({{L"s.1.log", "one"}}, 1).size());
}

// Whichever rename fails, and whichever rename fails after it (an undo, or the next name tried),
// a rotation either is complete or leaves every file's contents under some name.
TEST(LogFileWriter, NoFailedRenameNorFailedUndoLosesAFile) {
    for (int fails = 0; fails < 8; ++fails) {
        for (int then = fails + 1; then <= fails + 8; ++then) {
            Fixture f;
            f.files.contents = {{L"s.log", std::string(1500, 'x')}, {L"s.1.log", "one"}, {L"s.2.log", "two"}};
            f.files.failRenames = {fails, then};
            LogFileWriter writer(f.files, L"s.log", 2000, 2, f.Reporter());
            writer.WriteLine(std::wstring(974, L'd'), At);
            std::multiset<std::string> kept;
            for (const auto& file : f.files.contents) {
                kept.insert(file.second.substr(0, 5));
            }
            if (f.reports.empty()) {
                EXPECT_EQ('x', f.files.contents[L"s.1.log"][0]) << fails << "," << then;
                EXPECT_EQ("one", f.files.contents[L"s.2.log"]) << fails << "," << then;
                EXPECT_EQ(3u, f.files.contents.size()) << fails << "," << then;
            } else {
                EXPECT_EQ(1u, kept.count("one")) << fails << "," << then;
                EXPECT_EQ(1u, kept.count("two")) << fails << "," << then;
                EXPECT_EQ(1u, kept.count("xxxxx")) << fails << "," << then;
                // The current file has its name back unless that very undo failed.
                if (std::count(f.files.failedTo.begin(), f.files.failedTo.end(), L"s.log") == 0) {
                    EXPECT_EQ('x', f.files.contents[L"s.log"][0]) << fails << "," << then;
                }
            }
        }
    }
}

}  // namespace
