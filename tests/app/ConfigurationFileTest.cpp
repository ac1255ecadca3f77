#include "app/ConfigurationFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "LoadedConfiguration.h"
#include "common/Process.h"
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

TEST(ConfigurationRead, FieldsDefaultsLetterCasesNestedEntriesAndAnEntryOfNeitherKind) {
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
    // An entry of neither kind fails the load, which leaves the list read before and the file alone.
    const std::string neither =
        "<p><process><executable>b</executable></process><process><title>t</title></process></p>";
    std::wstring bad = dir.Write(L"bad.xml", neither);
    EXPECT_EQ(L"The process read is neither a standard process nor a java one.", config.Load(bad));
    ASSERT_EQ(4u, config.Count());
    EXPECT_STREQ(L"a.exe", config[0].executable.GetBuffer());
    EXPECT_EQ(neither, ScratchDirectory::Read(bad));
}

// The optional "restart" element in any letter case; its writing is seen through the settings window.
TEST(ConfigurationRestart, ReadInAnyCaseAndAnUnknownValueNamed) {
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
    EXPECT_EQ(L"The process read has an unknown restart policy \"sometimes\" (never, on-failure or always).",
              config.Load(dir.Write(L"bad.xml",
                                    "<p><process><executable>a</executable><restart>sometimes</restart>"
                                    "</process></p>")));
}

// Written over a loaded file the root is cleared (a declaration stays) and the layout is one element
// a line; written anew, every kind of entry reads back as the same entry.
TEST(ConfigurationWrite, EveryKindReadsBackTheSameInOrderInPlaceOfTheOldEntries) {
    ScratchDirectory dir;
    // Fields read from empty elements are empty, not absent, and stay so after the round trip.
    Loaded source;
    ASSERT_EQ(L"", source.Load(dir.Write(
                       L"source.xml",
                       "<p><process><title>S</title><executable>s.exe</executable><initialDir>C:\\s</initialDir>"
                       "<commandLineArguments>a b</commandLineArguments><start>false</start><disabled>true</disabled>"
                       "</process><process><title>J</title><startupclassname>org.M</startupclassname>"
                       "<classpath>j.jar</classpath><javaOptions>-Xdebug</javaOptions></process>"
                       "<process><title>Tools &amp; &lt;scripts&gt;</title><executable>run.cmd</executable>"
                       "<commandLineArguments>-a \"x &amp; y\" &lt;in&gt;</commandLineArguments></process>"
                       "<process><title>empty executable</title><executable/></process>"
                       "<process><title>no class</title><startupclassname/><disabled>true</disabled></process>"
                       "<process><title/><executable>x.exe</executable><initialDir/><commandLineArguments/>"
                       "</process><process><title>J</title><startupclassname>M</startupclassname><classpath/>"
                       "<javaOptions>-Dx=\"1 &amp; 2\"</javaOptions></process></p>")));
    source[1].executable = L"hidden.exe";  // a Java entry keeps the text of a hidden executable field
    std::wstring path = dir.Write(L"c.xml",
                                  "<?xml version=\"1.0\"?>\r\n<processes><comment>kept?</comment>"
                                  "<process><executable>old</executable></process></processes>");
    Loaded config;
    ASSERT_EQ(L"", config.Load(path));
    std::vector<ProcessInfo*> list = source.file->GetProcesses();
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
    ASSERT_EQ(list.size(), again.Count());
    for (size_t i = 0; i < list.size(); ++i) {
        ProcessInfo expected = *list[i];
        if (expected.type == ProcessType::Java) {
            expected.executable = String();  // not written: it would make the entry a standard one
        }
        EXPECT_EQ(Describe(expected), Describe(again[i])) << i;
    }
}

// The console output elements: keywords in any letter case, written back only where they were
// present or set, and an unknown value is an error that names the value and the entry.
TEST(ConfigurationConsole, ReadInAnyCaseWrittenOnlyWhenSetAndAnUnknownValueNamed) {
    using Mode = util::OutputEncoding::Mode;
    ScratchDirectory dir;
    Loaded config;
    std::wstring path = dir.Write(
        L"c.xml",
        "<p><process><title>A</title><executable>a</executable><outputEncoding>UTF-8</outputEncoding>"
        "<consoleHints>FALSE</consoleHints></process>"
        "<process><title>B</title><executable>b</executable></process>"
        "<process><title>C</title><executable>c</executable><OUTPUTENCODING>Oem</OUTPUTENCODING>"
        "<consolehints>True</consolehints></process>"
        "<process><title>D</title><executable>d</executable><outputEncoding>auto</outputEncoding></process></p>");
    ASSERT_EQ(L"", config.Load(path));
    ASSERT_EQ(4u, config.Count());
    EXPECT_EQ(Mode::Utf8, config[0].outputEncoding);
    EXPECT_FALSE(config[0].consoleHints);
    EXPECT_TRUE(config[0].outputEncodingSet && config[0].consoleHintsSet);
    EXPECT_EQ(Mode::Auto, config[1].outputEncoding);  // the defaults
    EXPECT_TRUE(config[1].consoleHints);
    EXPECT_FALSE(config[1].outputEncodingSet || config[1].consoleHintsSet);
    EXPECT_EQ(Mode::Oem, config[2].outputEncoding);
    EXPECT_TRUE(config[2].consoleHints && config[2].consoleHintsSet);
    EXPECT_TRUE(config[3].outputEncodingSet);
    EXPECT_FALSE(config[3].consoleHintsSet);
    // The process made from an entry decodes and hints as the entry says.
    std::unique_ptr<Process> first(config[0].GetProcess());
    std::unique_ptr<Process> second(config[1].GetProcess());
    EXPECT_EQ(Mode::Utf8, first->GetOutputEncoding());
    EXPECT_FALSE(first->GetConsoleHints());
    EXPECT_EQ(Mode::Auto, second->GetOutputEncoding());
    EXPECT_TRUE(second->GetConsoleHints());
    config[0].process = config[1].process = nullptr;

    config[1].outputEncoding = Mode::Ansi;
    config[1].outputEncodingSet = true;
    config.file->WriteProcesses(config.file->GetProcesses());
    const std::string written = ScratchDirectory::Read(path);
    EXPECT_NE(std::string::npos, written.find("<outputEncoding>utf-8</outputEncoding>\r\n\t\t"
                                              "<consoleHints>false</consoleHints>"))
        << written;
    EXPECT_NE(std::string::npos, written.find("<outputEncoding>ansi</outputEncoding>")) << written;
    EXPECT_NE(std::string::npos, written.find("<consoleHints>true</consoleHints>")) << written;
    EXPECT_NE(std::string::npos, written.find("<outputEncoding>auto</outputEncoding>")) << written;
    size_t hints = 0;
    for (size_t at = written.find("<consoleHints>"); at != std::string::npos;
         at = written.find("<consoleHints>", at + 1)) {
        ++hints;
    }
    EXPECT_EQ(2u, hints) << written;  // not for B and D, which had none
    Loaded again;
    ASSERT_EQ(L"", again.Load(path));
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(config[i].outputEncoding, again[i].outputEncoding) << i;
        EXPECT_EQ(config[i].outputEncodingSet, again[i].outputEncodingSet) << i;
        EXPECT_EQ(config[i].consoleHints, again[i].consoleHints) << i;
        EXPECT_EQ(config[i].consoleHintsSet, again[i].consoleHintsSet) << i;
    }

    EXPECT_EQ(L"The process \"Web\" has an unknown output encoding \"utf8\" (auto, utf-8, ansi or oem).",
              again.Load(dir.Write(L"bad.xml",
                                   "<p><process><title>Web</title><executable>a</executable>"
                                   "<outputEncoding>utf8</outputEncoding></process></p>")));
    EXPECT_EQ(L"The process \"Web\" has an unknown console hints value \"yes\" (true or false).",
              again.Load(dir.Write(L"bad2.xml",
                                   "<p><process><title>Web</title><executable>a</executable>"
                                   "<consoleHints>yes</consoleHints></process></p>")));
}

}  // namespace
