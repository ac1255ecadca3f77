#include "app/ServerSettingsText.h"

#include <gtest/gtest.h>

#include <string>

#include "app/ServerSettingsXml.h"
#include "xml/rapidxml/RapidXMLElement.h"
#include "xml/rapidxml/RapidXMLTree.h"

using xml::rapidxml::RapidXMLTree;
using Change = EnvironmentSettings::Change;

namespace {

ServerSettings FromXml(const wchar_t* text) {
    RapidXMLTree tree;
    tree.Parse(text);
    ServerSettings settings;
    ServerSettingsXml::Read(tree.GetRootElement(), settings);
    return settings;
}

TEST(ServerSettingsText, EnvironmentLinesTakeQuotesBlankLinesAndRemovalsAndComeBackWhole) {
    std::vector<Change> changes;
    std::wstring problem;
    ASSERT_TRUE(ServerSettingsText::ParseEnvironment(
        L" PATH = %PATH%;C:\\tools \r\n\r\n-TEMP\r\n  \nQUOTED=\"  two blanks  \"\nSINGLE='\"'\nEMPTY=\n"
        L"-DASH=x\n--GONE\nEQ=a=b",
        changes, problem))
        << problem;
    std::vector<Change> expected = {{L"PATH", L"%PATH%;C:\\tools", false},
                                    {L"TEMP", L"", true},
                                    {L"QUOTED", L"  two blanks  ", false},
                                    {L"SINGLE", L"\"", false},
                                    {L"EMPTY", L"", false},
                                    {L"-DASH", L"x", false},
                                    {L"-GONE", L"", true},
                                    {L"EQ", L"a=b", false}};
    EXPECT_EQ(expected, changes);
    // Values the parser would otherwise trim or unquote come back quoted.
    std::vector<Change> tricky = {
        {L"A", L" lead", false}, {L"B", L"\"both\"", false}, {L"C", L"'", false}, {L"D", L"mid \"q\" dle", false}};
    tricky.insert(tricky.end(), expected.begin(), expected.end());
    std::wstring text = ServerSettingsText::FormatEnvironment(tricky);
    EXPECT_EQ(0u, text.find(L"A=\" lead\"\r\nB=\"\"both\"\"\r\nC=\"'\"\r\nD=mid \"q\" dle\r\n")) << text;
    ASSERT_TRUE(ServerSettingsText::ParseEnvironment(text, changes, problem));
    EXPECT_EQ(tricky, changes);

    changes = expected;
    for (const auto& bad : {std::make_pair(L"A=1\n=2", L"line 2: no name before its \"=\"."),
                            std::make_pair(L"A=1\r\n\r\n - ", L"line 3: no name after its \"-\"."),
                            std::make_pair(L"JUSTANAME", L"line 1: neither NAME=value nor -NAME.")}) {
        EXPECT_FALSE(ServerSettingsText::ParseEnvironment(bad.first, changes, problem));
        EXPECT_EQ(bad.second, problem);
        EXPECT_EQ(expected, changes);  // untouched
    }
}

const wchar_t Configured[] =
    L"<process><environment><variable><name>PORT</name><value> 80</value></variable><remove>TMP</remove>"
    L"</environment><environmentFile>a.env</environmentFile>"
    L"<stop><executable>stop.exe</executable><console>ctrl-z</console><window>false</window>"
    L"<timeout>soon</timeout></stop><log><file>s.log</file><maxBytes>2048</maxBytes></log>"
    L"<after>db</after><ready>up</ready></process>";

TEST(ServerSettingsText, UnchangedFieldsKeepWhatWasReadValuesInErrorIncluded) {
    ServerSettings base = FromXml(Configured);
    ServerSettingsText::Fields fields = ServerSettingsText::Show(base);
    EXPECT_EQ(L"PORT=\" 80\"\r\n-TMP", fields.environment);
    EXPECT_EQ(L"soon", fields.timeout);  // shown for the user to correct
    EXPECT_EQ(L"2048", fields.maxBytes);
    EXPECT_EQ(L"", fields.backups);
    ServerSettings read;
    std::wstring problem;
    ASSERT_TRUE(ServerSettingsText::Read(fields, base, read, problem)) << problem;
    EXPECT_TRUE(read.environment == base.environment && read.stop == base.stop && read.log == base.log &&
                read.order == base.order && read.unread == base.unread);
}

TEST(ServerSettingsText, EditsAreReadEmptiedFieldsDropTheirElementsAndBadValuesChangeNothing) {
    ServerSettings base = FromXml(Configured);
    ServerSettingsText::Fields fields = ServerSettingsText::Show(base);
    fields.environment = L"";
    fields.environmentFile = L"  ";
    fields.stopExecutable = L"";
    fields.console = StopSettings::Console::CtrlBreak;
    fields.window = true;
    fields.timeout = L" 2500 ";
    fields.logFile = L"";
    fields.maxBytes = L"";
    fields.ready = L"";
    fields.after = L"";
    ServerSettings read;
    std::wstring problem;
    ASSERT_TRUE(ServerSettingsText::Read(fields, base, read, problem)) << problem;
    EXPECT_FALSE(read.environment.present || read.environment.fileSet || read.stop.executableSet || read.log.present ||
                 read.order.afterSet || read.order.readySet);
    EXPECT_TRUE(read.unread.empty());
    EXPECT_EQ(2500u, read.stop.timeoutMs);
    EXPECT_TRUE(read.stop.present && read.stop.windowSet && read.stop.window);
    RapidXMLTree tree;
    tree.Parse(L"<process/>");
    ServerSettingsXml::Write(read, tree.GetRootElement(), [&tree](const wchar_t* name, const wchar_t* value) {
        return tree.CreateElement(name, value);
    });
    String written;
    tree.ToString(written);
    EXPECT_EQ(std::wstring(L"<process>\r\n\t<stop>\r\n\t\t<console>ctrl-break</console>\r\n\t\t<window>true</window>"
                           L"\r\n\t\t<timeout>2500</timeout>\r\n\t</stop>\r\n</process>\r\n"),
              written.GetBuffer());

    struct Bad {
        std::wstring ServerSettingsText::Fields::*field;
        const wchar_t* text;
        const wchar_t* problem;
    } bads[] = {
        {&ServerSettingsText::Fields::timeout, L"86400001", L"Stop timeout (ms): \"86400001\" is not a number"},
        {&ServerSettingsText::Fields::maxBytes, L"1023", L"Log maxBytes: \"1023\" is neither 0 nor"},
        {&ServerSettingsText::Fields::backups, L"-1", L"Log backups: \"-1\" is not a number from 0 to 999."},
        {&ServerSettingsText::Fields::environment, L"X", L"Environment variables, line 1: neither"},
        {&ServerSettingsText::Fields::logFile, L" ", L"Log file: none is named"},
        {&ServerSettingsText::Fields::after, L"", L"Ready text: it is looked for"},
    };
    for (const Bad& bad : bads) {
        fields = ServerSettingsText::Show(base);
        fields.*bad.field = bad.text;
        read = ServerSettings();
        EXPECT_FALSE(ServerSettingsText::Read(fields, base, read, problem)) << bad.text;
        EXPECT_EQ(0u, problem.find(bad.problem)) << problem;
        EXPECT_TRUE(read.environment.changes.empty() && !read.log.present);  // untouched
    }
}

}  // namespace
