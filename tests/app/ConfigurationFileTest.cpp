#include "app/ConfigurationFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/ScratchDirectory.h"
#include "support/TestApplication.h"
#include "support/ThrownMessage.h"
#include "util/TextCodec.h"

using testsupport::ScratchDirectory;

namespace {

// Owns what ReadProcesses hands out, as the process windows would.
struct Loaded {
    std::unique_ptr<ConfigurationFile> file{new ConfigurationFile()};
    std::vector<std::unique_ptr<ProcessInfo>> owned;

    // Loads and reads path; returns the exception's message, or "" on success.
    std::wstring Load(const std::wstring& path) {
        std::wstring message = testsupport::ThrownMessage([&] {
            file->SetPath(path.c_str());
            file->Load(nullptr);
            file->ReadProcesses();
        });
        if (message != L"<no exception>") {
            return message;
        }
        for (ProcessInfo* info : file->GetProcesses()) {
            owned.emplace_back(info);
        }
        return L"";
    }
    ProcessInfo& operator[](size_t i) { return *file->GetProcesses().at(i); }
    size_t Count() const { return file->GetProcesses().size(); }
};

// Type, texts (title, executable, initialDir, arguments, class, classpath, options), start, disabled.
std::wstring Describe(const ProcessInfo& p) {
    std::wstring out = p.type == ProcessType::Java ? L"java" : p.type == ProcessType::Standard ? L"standard" : L"?";
    for (const String* s : {&p.title, &p.executable, &p.initialDir, &p.commandLineArguments, &p.startupclassname,
                            &p.classpath, &p.javaOptions}) {
        out += L"|" + (s->IsNull() ? std::wstring(L"<null>") : std::wstring(s->GetBuffer()));
    }
    return out + (p.start ? L"|start" : L"|-") + (p.disabled ? L"|disabled" : L"|-");
}

TEST(ConfigurationPath, DefaultIsTheProgramPathWithXml) {
    testsupport::TestApplication app(L"C:\\Tools\\Tarnwick.exe");
    EXPECT_STREQ(L"C:\\Tools\\Tarnwick.xml", ConfigurationFile::GetDefaultPath().GetBuffer());
    app.executablePath = L"C:\\my.tools\\Tarnwick";
    EXPECT_STREQ(L"C:\\my.tools\\Tarnwick.xml", ConfigurationFile::GetDefaultPath().GetBuffer());
    std::unique_ptr<ConfigurationFile> file(new ConfigurationFile());
    file->SetPath(nullptr);
    EXPECT_STREQ(L"C:\\my.tools\\Tarnwick.xml", file->GetPath().GetBuffer());
    file->SetPath(L"D:\\other.tnkx");
    EXPECT_STREQ(L"D:\\other.tnkx", file->GetPath().GetBuffer());
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

std::unique_ptr<ProcessInfo> Entry(ProcessType type, const wchar_t* title) {
    std::unique_ptr<ProcessInfo> info(new ProcessInfo());
    info->type = type;
    info->title = title;
    info->start = true;
    return info;
}

TEST(ConfigurationWrite, ClearsTheRootAndWritesInOrder) {
    ScratchDirectory dir;
    std::wstring path = dir.Write(L"c.xml",
                                  "<?xml version=\"1.0\"?>\r\n<processes><comment>kept?</comment>"
                                  "<process><executable>old</executable></process></processes>");
    Loaded config;
    ASSERT_EQ(L"", config.Load(path));
    std::unique_ptr<ProcessInfo> standard = Entry(ProcessType::Standard, L"S");
    standard->executable = L"s.exe";
    standard->commandLineArguments = L"a b";
    standard->initialDir = L"C:\\s";
    standard->start = false;
    standard->disabled = true;
    std::unique_ptr<ProcessInfo> java = Entry(ProcessType::Java, L"J");
    java->startupclassname = L"org.M";
    java->classpath = L"j.jar";
    java->javaOptions = L"-Xdebug";
    config.file->WriteProcesses({standard.get(), java.get()});
    EXPECT_EQ(2u, config.Count());
    EXPECT_EQ(standard.get(), config.file->GetProcesses()[0]);
    EXPECT_EQ(
        "<?xml version=\"1.0\"?>\r\n"
        "<processes>\r\n"
        "\t<process>\r\n"
        "\t\t<title>S</title>\r\n"
        "\t\t<executable>s.exe</executable>\r\n"
        "\t\t<commandLineArguments>a b</commandLineArguments>\r\n"
        "\t\t<initialDir>C:\\s</initialDir>\r\n"
        "\t\t<start>false</start>\r\n"
        "\t\t<disabled>true</disabled>\r\n"
        "\t</process>\r\n"
        "\t<process>\r\n"
        "\t\t<title>J</title>\r\n"
        "\t\t<startupclassname>org.M</startupclassname>\r\n"
        "\t\t<classpath>j.jar</classpath>\r\n"
        "\t\t<javaOptions>-Xdebug</javaOptions>\r\n"
        "\t</process>\r\n"
        "</processes>\r\n\r\n",
        ScratchDirectory::Read(path));
}

// Each entry written must read back as the same entry.
TEST(ConfigurationWrite, EveryKindReadsBackTheSame) {
    ScratchDirectory dir;
    const ProcessType standard = ProcessType::Standard;
    const ProcessType java = ProcessType::Java;
    struct Fields {
        ProcessType type;
        const wchar_t *title, *executable, *startupclassname, *classpath, *javaOptions, *initialDir, *arguments;
        bool disabled;
    } const table[] = {
        {standard, L"Tools & <scripts>", L"run.cmd", nullptr, nullptr, nullptr, nullptr, L"-a \"x & y\" <in>", false},
        {standard, L"empty executable", L"", nullptr, nullptr, nullptr, nullptr, nullptr, false},
        {java, L"java keeps a hidden executable", L"hidden.exe", L"a.B", nullptr, L"-Dx=\"1 & 2\"", nullptr, nullptr,
         false},
        {java, L"java without class", nullptr, L"", nullptr, nullptr, nullptr, nullptr, true},
        // fields read from empty elements are empty, not absent, after the round trip too
        {standard, L"", L"x.exe", nullptr, nullptr, nullptr, L"", L"", false},
        {java, L"J", nullptr, L"M", L"", L"", nullptr, nullptr, false},
    };
    std::vector<std::unique_ptr<ProcessInfo>> entries;
    for (const Fields& f : table) {
        entries.push_back(Entry(f.type, f.title));
        ProcessInfo& e = *entries.back();
        e.executable = f.executable;
        e.startupclassname = f.startupclassname;
        e.classpath = f.classpath;
        e.javaOptions = f.javaOptions;
        e.initialDir = f.initialDir;
        e.commandLineArguments = f.arguments;
        e.disabled = f.disabled;
    }
    std::vector<ProcessInfo*> list;
    for (auto& entry : entries) {
        list.push_back(entry.get());
    }
    std::wstring path = dir.File(L"new.xml");
    std::unique_ptr<ConfigurationFile> writer(new ConfigurationFile());
    writer->SetPath(path.c_str());
    writer->WriteProcesses(list);  // never loaded: starts from an empty "processes" root

    Loaded config;
    ASSERT_EQ(L"", config.Load(path));
    ASSERT_EQ(entries.size(), config.Count());
    for (size_t i = 0; i < entries.size(); ++i) {
        ProcessInfo expected = *entries[i];
        if (expected.type == ProcessType::Java) {
            expected.executable = String();  // not written: it would make the entry a standard one
        }
        EXPECT_FALSE(config[i] != expected) << i;
    }
    EXPECT_STREQ(L"-a \"x & y\" <in>", config[0].commandLineArguments.GetBuffer());
}

}  // namespace
