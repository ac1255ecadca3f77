#include "app/ServerSettingsXml.h"

#include <gtest/gtest.h>

#include <string>

#include "app/EntryChecks.h"
#include "util/String.h"
#include "xml/rapidxml/RapidXMLElement.h"
#include "xml/rapidxml/RapidXMLTree.h"

using xml::rapidxml::RapidXMLTree;

namespace {

// Reads the one "process" element of text; problems receives what Read reports.
ServerSettings ReadProcess(RapidXMLTree& tree, const wchar_t* text, std::wstring& problems) {
    tree.Parse(text);
    ServerSettings settings;
    problems = ServerSettingsXml::Read(tree.GetElementsByTagName(L"process").at(0), settings);
    return settings;
}

// What Write makes of settings, printed.
std::wstring Written(const ServerSettings& settings) {
    RapidXMLTree tree;
    tree.Parse(L"<process/>");
    ServerSettingsXml::Write(settings, tree.GetRootElement(), [&tree](const wchar_t* name, const wchar_t* value) {
        return tree.CreateElement(name, value);
    });
    String text;
    tree.ToString(text);
    return text.GetBuffer();
}

const wchar_t Full[] =
    L"<process><executable>db.exe</executable>"
    L"<Environment><variable><name>PATH</name><value>%PATH%;C:\\tools</value></variable>"
    L"<REMOVE>TEMP</REMOVE><variable><NAME>EMPTY</NAME></variable><other/></Environment>"
    L"<environmentfile>db.env</environmentfile>"
    L"<stop><executable>pg_ctl.exe</executable><commandLineArguments>stop -m fast</commandLineArguments>"
    L"<console>Ctrl-Break</console><window> TRUE </window><timeout>2500</timeout></stop>"
    L"<LOG><file>logs\\%NAME%.log</file><maxBytes>0</maxBytes><backups>3</backups></LOG>"
    L"<after>Set-up</after><ready>ready to accept</ready></process>";

TEST(ServerSettingsXml, EveryElementInAnyCaseReadsAndWritesBackTheSame) {
    RapidXMLTree tree;
    std::wstring problems;
    ServerSettings read = ReadProcess(tree, Full, problems);
    EXPECT_EQ(L"", problems);
    const EnvironmentSettings& environment = read.environment;
    ASSERT_EQ(3u, environment.changes.size());
    EXPECT_EQ(L"%PATH%;C:\\tools", environment.changes[0].value);
    EXPECT_TRUE(environment.changes[1].remove);
    EXPECT_EQ(L"TEMP", environment.changes[1].name);
    EXPECT_EQ(L"", environment.changes[2].value);
    EXPECT_EQ(L"db.env", environment.file);
    EXPECT_EQ(L"stop -m fast", read.stop.arguments);
    EXPECT_EQ(StopSettings::Console::CtrlBreak, read.stop.console);
    EXPECT_TRUE(read.stop.window);
    EXPECT_EQ(2500u, read.stop.timeoutMs);
    EXPECT_EQ(0u, read.log.maxBytes);
    EXPECT_EQ(3u, read.log.backups);
    EXPECT_EQ(L"Set-up", read.order.after);
    EXPECT_EQ(L"ready to accept", read.order.ready);

    std::wstring written = Written(read);
    ServerSettings again = ReadProcess(tree, written.c_str(), problems);
    EXPECT_EQ(L"", problems);
    EXPECT_TRUE(again.environment == read.environment && again.stop == read.stop && again.log == read.log &&
                again.order == read.order)
        << written;
    EXPECT_NE(std::wstring::npos, written.find(L"<console>ctrl-break</console>"));
}

TEST(ServerSettingsXml, OnlyWhatIsSetIsWrittenAndDefaultsApply) {
    RapidXMLTree tree;
    std::wstring problems;
    ServerSettings none = ReadProcess(tree, L"<process><executable>a</executable></process>", problems);
    EXPECT_EQ(L"<process/>\r\n", Written(none));
    ServerSettings some =
        ReadProcess(tree, L"<process><environment/><stop/><log><file>a.log</file></log></process>", problems);
    EXPECT_EQ(StopSettings::DefaultTimeoutMs, some.stop.timeoutMs);
    EXPECT_EQ(LogSettings::DefaultMaxBytes, some.log.maxBytes);
    EXPECT_EQ(LogSettings::DefaultBackups, some.log.backups);
    EXPECT_EQ(
        L"<process>\r\n\t<environment/>\r\n\t<stop/>\r\n\t<log>\r\n\t\t<file>a.log</file>\r\n\t</log>\r\n"
        L"</process>\r\n",
        Written(some));
}

TEST(ServerSettingsXml, EachInvalidValueIsNamed) {
    RapidXMLTree tree;
    std::wstring problems;
    ServerSettings bad =
        ReadProcess(tree,
                    L"<process><environment><variable><name>A=B</name></variable><remove/></environment>"
                    L"<environmentFile> </environmentFile>"
                    L"<stop><console>ctrl-z</console><window>yes</window><timeout>-1</timeout></stop>"
                    L"<log><maxBytes>1023</maxBytes><backups>1000</backups></log><ready>x</ready></process>",
                    problems);
    EXPECT_EQ(
        L"<environment>: a <variable> has no valid name (\"A=B\": empty or with \"=\").\r\n"
        L"<environment>: a <remove> has no valid name (\"\": empty or with \"=\").\r\n"
        L"<environmentFile> names no file.\r\n"
        L"<stop><console>: \"ctrl-z\" is neither ctrl-c nor ctrl-break.\r\n"
        L"<stop><window>: \"yes\" is neither true nor false.\r\n"
        L"<stop><timeout>: \"-1\" is not a number of milliseconds from 0 to 86400000.\r\n"
        L"<log> has no <file>.\r\n"
        L"<log><maxBytes>: \"1023\" is neither 0 nor a number of bytes from 1024 up.\r\n"
        L"<log><backups>: \"1000\" is not a number from 0 to 999.\r\n"
        L"<ready> is set without <after>.",
        problems);
    // What could not be read is written back as it stood, for the user to correct.
    const std::wstring written = Written(bad);
    for (const wchar_t* kept : {L"<console>ctrl-z</console>", L"<window>yes</window>", L"<timeout>-1</timeout>",
                                L"<maxBytes>1023</maxBytes>", L"<backups>1000</backups>"}) {
        EXPECT_NE(std::wstring::npos, written.find(kept)) << kept;
    }
    uint64_t number = 7;
    EXPECT_FALSE(ServerSettingsXml::ParseNumber(L"99999999999999999999", UINT64_MAX, number));
    EXPECT_TRUE(ServerSettingsXml::ParseNumber(L" 86400000\t", 86400000, number));
    EXPECT_EQ(86400000u, number);
}

EntryChecks::Entry Entry(const wchar_t* title, const wchar_t* after = nullptr, const wchar_t* log = L"") {
    EntryChecks::Entry entry;
    entry.title = title;
    entry.hasAfter = after != nullptr;
    entry.after = after ? after : L"";
    entry.logPath = log;
    return entry;
}

TEST(EntryChecks, UnknownPredecessorsCyclesAndSharedLogFilesConcernOnlyTheirEntries) {
    std::vector<EntryChecks::Entry> entries = {
        Entry(L"db", nullptr, L"C:\\Logs\\db.log"),
        Entry(L"web", L"db", L"c:\\logs\\DB.LOG"),
        Entry(L"a", L"b"),
        Entry(L"b", L"a"),
        Entry(L"c", L"a"),
        Entry(L"self", L"self"),
        Entry(L"lost", L"Db"),  // titles compare with their letter case
        Entry(L"old", nullptr, L"C:\\logs\\db.log"),
    };
    entries.back().applied = false;  // a disabled entry writes no log
    std::vector<std::wstring> problems = EntryChecks::Check(entries);
    const std::vector<std::wstring> expected = {
        L"",
        L"<log><file> c:\\logs\\DB.LOG is already the log file of \"db\".",
        L"The start order goes round in a cycle: \"a\" -> \"b\" -> \"a\".",
        L"The start order goes round in a cycle: \"b\" -> \"a\" -> \"b\".",
        L"The start order waits on a cycle: \"a\" -> \"b\" -> \"a\".",
        L"The start order goes round in a cycle: \"self\" -> \"self\".",
        L"<after> names \"Db\", which no entry has as its title.",
        L"",
    };
    EXPECT_EQ(expected, problems);
}

TEST(EntryChecks, TheLastEntryOfATitleIsTheOneWaitedForAndAnEmptyAfterIsLeftToTheEntry) {
    std::vector<EntryChecks::Entry> entries = {
        Entry(L"x", L"y"),
        Entry(L"y"),        // shadowed by the later "y"
        Entry(L"y", L"x"),  // this one closes the cycle
        Entry(L"z", L""),   // reported with the entry's own elements
    };
    std::vector<std::wstring> problems = EntryChecks::Check(entries);
    EXPECT_EQ(L"The start order goes round in a cycle: \"x\" -> \"y\" -> \"x\".", problems[0]);
    EXPECT_EQ(L"", problems[1]);
    EXPECT_EQ(L"The start order goes round in a cycle: \"y\" -> \"x\" -> \"y\".", problems[2]);
    EXPECT_EQ(L"", problems[3]);
    entries[2].hasAfter = false;
    EXPECT_EQ(std::vector<std::wstring>(4), EntryChecks::Check(entries));
}

}  // namespace
