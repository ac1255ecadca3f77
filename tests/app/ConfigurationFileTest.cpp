#include "app/ConfigurationFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "LoadedConfiguration.h"
#include "support/ScratchDirectory.h"

using apptest::Loaded;
using testsupport::ScratchDirectory;

namespace {

// Type, texts (title, executable, initialDir, arguments, class, classpath, options), start, disabled.
std::wstring Describe(const ProcessInfo& p) {
    std::wstring out = p.type == ProcessType::Java ? L"java" : p.type == ProcessType::Standard ? L"standard" : L"?";
    for (const String* s : {&p.title, &p.executable, &p.initialDir, &p.commandLineArguments, &p.startupclassname,
                            &p.classpath, &p.javaOptions}) {
        out += L"|" + (s->IsNull() ? std::wstring(L"<null>") : std::wstring(s->GetBuffer()));
    }
    return out + (p.start ? L"|start" : L"|-") + (p.disabled ? L"|disabled" : L"|-");
}

TEST(ConfigurationRead, FieldsDefaultsLetterCasesAndNestedEntries) {
    ScratchDirectory dir;
    std::wstring path =
        dir.Write(L"c.xml",
                  "<processes>\n"
                  " <process><EXECUTABLE>a.exe</EXECUTABLE><Title>A</Title>"
                  "<start>FALSE</start><disabled>True</disabled>"
                  "<INITIALDIR>C:\\a</INITIALDIR><commandlinearguments>-x</commandlinearguments></process>\n"
                  " <group><process><executable/><start>no</start><disabled>yes</disabled></process></group>\n"
                  " <process><startupclassname>M</startupclassname><classpath>c.jar</classpath>"
                  "<javaoptions>-Xmx1g</javaoptions><start></start><unknown>x</unknown></process>\n"
                  " <process><executable>both.exe</executable><startupclassname>N</startupclassname>"
                  "<classpath>ignored.jar</classpath></process>\n"
                  " <Process><executable>not a process</executable></Process>\n"
                  "</processes>");
    Loaded config;
    ASSERT_EQ(L"", config.Load(path));
    const wchar_t* expected[] = {
        L"standard|A|a.exe|C:\\a|-x|<null>|<null>|<null>|-|disabled",
        L"standard|untitle process||<null>|<null>|<null>|<null>|<null>|start|-",          // nested in "group"
        L"java|untitle process|<null>|<null>|<null>|M|c.jar|-Xmx1g|start|-",              // an empty "start" is true
        L"standard|untitle process|both.exe|<null>|<null>|<null>|<null>|<null>|start|-",  // "executable" wins
    };
    ASSERT_EQ(4u, config.Count());
    for (size_t i = 0; i < config.Count(); ++i) {
        EXPECT_EQ(expected[i], Describe(config[i])) << i;
    }
}

TEST(ConfigurationRead, AnEntryOfNeitherKindFailsAndKeepsTheList) {
    ScratchDirectory dir;
    Loaded config;
    ASSERT_EQ(L"", config.Load(dir.Write(L"good.xml", "<p><process><executable>a</executable></process></p>")));
    const std::string neither =
        "<p><process><executable>b</executable></process><process><title>t</title></process></p>";
    std::wstring bad = dir.Write(L"bad.xml", neither);
    EXPECT_EQ(L"The process read is neither a standard process nor a java one.", config.Load(bad));
    ASSERT_EQ(1u, config.Count());
    EXPECT_STREQ(L"a", config[0].executable.GetBuffer());
    EXPECT_EQ(neither, ScratchDirectory::Read(bad));
}

// The optional "restart" element: any letter case in, the policy's own name out, and only when set.
TEST(ConfigurationRestart, ReadInAnyCaseWrittenOnlyWhenSetAndAnUnknownValueNamed) {
    ScratchDirectory dir;
    Loaded config;
    std::wstring path = dir.Write(L"r.xml",
                                  "<p><process><executable>a</executable><restart>ON-Failure</restart></process>"
                                  "<process><executable>b</executable></process></p>");
    ASSERT_EQ(L"", config.Load(path));
    EXPECT_EQ(RestartPolicy::Mode::OnFailure, config[0].restart);
    EXPECT_TRUE(config[0].restartSet);
    EXPECT_EQ(RestartPolicy::Mode::Never, config[1].restart);
    EXPECT_FALSE(config[1].restartSet);
    config.file->WriteProcesses(config.file->GetProcesses());
    std::string written = ScratchDirectory::Read(path);
    EXPECT_NE(std::string::npos, written.find("<restart>on-failure</restart>")) << written;
    EXPECT_EQ(written.find("<restart>"), written.rfind("<restart>")) << written;
    Loaded again;
    ASSERT_EQ(L"", again.Load(path));
    EXPECT_EQ(RestartPolicy::Mode::OnFailure, again[0].restart);
    EXPECT_FALSE(again[1].restartSet);
    EXPECT_EQ(L"The process read has an unknown restart policy \"sometimes\" (never, on-failure or always).",
              again.Load(dir.Write(L"bad.xml",
                                   "<p><process><executable>a</executable><restart>sometimes</restart>"
                                   "</process></p>")));
}

// Written over a loaded file the root is cleared (a declaration stays) and the layout is one element
// a line; written anew, every kind of entry reads back as the same entry.
TEST(ConfigurationWrite, EveryKindReadsBackTheSameInOrderInPlaceOfTheOldEntries) {
    ScratchDirectory dir;
    std::wstring path = dir.Write(L"c.xml",
                                  "<?xml version=\"1.0\"?>\r\n<processes><comment>kept?</comment>"
                                  "<process><executable>old</executable></process></processes>");
    Loaded config;
    ASSERT_EQ(L"", config.Load(path));
    const ProcessType standard = ProcessType::Standard;
    const ProcessType java = ProcessType::Java;
    struct Fields {
        ProcessType type;
        const wchar_t *title, *executable, *startupclassname, *classpath, *javaOptions, *initialDir, *arguments;
        bool start, disabled;
    } const table[] = {
        {standard, L"S", L"s.exe", nullptr, nullptr, nullptr, L"C:\\s", L"a b", false, true},
        {java, L"J", nullptr, L"org.M", L"j.jar", L"-Xdebug", nullptr, nullptr, true, false},
        {standard, L"Tools & <scripts>", L"run.cmd", nullptr, nullptr, nullptr, nullptr, L"-a \"x & y\" <in>", true,
         false},
        {standard, L"empty executable", L"", nullptr, nullptr, nullptr, nullptr, nullptr, true, false},
        {java, L"java keeps a hidden executable", L"hidden.exe", L"a.B", nullptr, L"-Dx=\"1 & 2\"", nullptr, nullptr,
         true, false},
        {java, L"java without class", nullptr, L"", nullptr, nullptr, nullptr, nullptr, true, true},
        // fields read from empty elements are empty, not absent, after the round trip too
        {standard, L"", L"x.exe", nullptr, nullptr, nullptr, L"", L"", true, false},
        {java, L"J", nullptr, L"M", L"", L"", nullptr, nullptr, true, false},
    };
    std::vector<std::unique_ptr<ProcessInfo>> entries;
    std::vector<ProcessInfo*> list;
    for (const Fields& f : table) {
        entries.emplace_back(new ProcessInfo());
        ProcessInfo& e = *entries.back();
        e.type = f.type;
        e.title = f.title;
        e.executable = f.executable;
        e.startupclassname = f.startupclassname;
        e.classpath = f.classpath;
        e.javaOptions = f.javaOptions;
        e.initialDir = f.initialDir;
        e.commandLineArguments = f.arguments;
        e.start = f.start;
        e.disabled = f.disabled;
        list.push_back(&e);
    }
    config.file->WriteProcesses(list);
    EXPECT_EQ(list, config.file->GetProcesses());
    const std::string written = ScratchDirectory::Read(path);
    EXPECT_EQ(0u,
              written.find("<?xml version=\"1.0\"?>\r\n<processes>\r\n\t<process>\r\n\t\t<title>S</title>\r\n"
                           "\t\t<executable>s.exe</executable>\r\n\t\t<commandLineArguments>a b</commandLineArguments>"
                           "\r\n\t\t<initialDir>C:\\s</initialDir>\r\n\t\t<start>false</start>\r\n"
                           "\t\t<disabled>true</disabled>\r\n\t</process>\r\n\t<process>\r\n\t\t<title>J</title>\r\n"
                           "\t\t<startupclassname>org.M</startupclassname>\r\n\t\t<classpath>j.jar</classpath>\r\n"
                           "\t\t<javaOptions>-Xdebug</javaOptions>\r\n\t</process>\r\n"))
        << written;
    EXPECT_EQ("</processes>\r\n\r\n", written.substr(written.size() - 16));
    EXPECT_EQ(std::string::npos, written.find("old")) << written;
    EXPECT_EQ(std::string::npos, written.find("kept?")) << written;

    // A file never loaded starts from an empty "processes" root.
    std::wstring fresh = dir.File(L"new.xml");
    std::unique_ptr<ConfigurationFile> writer(new ConfigurationFile());
    writer->SetPath(fresh.c_str());
    writer->WriteProcesses(list);
    Loaded again;
    ASSERT_EQ(L"", again.Load(fresh));
    ASSERT_EQ(entries.size(), again.Count());
    for (size_t i = 0; i < entries.size(); ++i) {
        ProcessInfo expected = *entries[i];
        if (expected.type == ProcessType::Java) {
            expected.executable = String();  // not written: it would make the entry a standard one
        }
        EXPECT_FALSE(again[i] != expected) << i;
    }
}

}  // namespace
