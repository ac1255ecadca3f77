#include "app/ConfigurationFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "LoadedConfiguration.h"
#include "support/ScratchDirectory.h"

using apptest::Loaded;
using testsupport::ScratchDirectory;

namespace {

std::wstring Error(const ProcessInfo& info) {
    return info.configurationError.IsNull() ? L"" : info.configurationError.GetBuffer();
}

const char Entries[] =
    "<processes>"
    "<process><title>db</title><executable>db.exe</executable>"
    "<environment><variable><name>LOGS</name><value>logs</value></variable></environment>"
    "<environmentFile>db.env</environmentFile>"
    "<stop><executable>db.exe</executable><commandLineArguments>--stop</commandLineArguments>"
    "<console>CTRL-C</console><timeout>3000</timeout></stop>"
    "<log><file>%LOGS%\\db.log</file><backups>2</backups></log></process>"
    "<process><title>web</title><executable>web.exe</executable><after>db</after><ready>listening</ready>"
    "<stop><window>bad</window></stop></process>"
    "<process><title>copy</title><executable>c.exe</executable><log><file>LOGS\\DB.LOG</file></log></process>"
    "<process><title>java</title><startupclassname>M</startupclassname>"
    "<environment><variable><name>classpath</name><value>x.jar</value></variable></environment></process>"
    "<process><title>lost</title><executable>l.exe</executable><after>nobody</after></process>"
    "</processes>";

TEST(ConfigurationServer, AProblemStaysWithItsEntryAndPathsStartInTheConfigurationsFolder) {
    ScratchDirectory dir;
    Loaded config;
    ASSERT_EQ(L"", config.Load(dir.Write(L"c.xml", Entries)));
    ASSERT_EQ(5u, config.Count());
    EXPECT_EQ(L"", Error(config[0]));
    EXPECT_STREQ((dir.Path() + L"\\logs\\db.log").c_str(), config[0].logPath.GetBuffer());
    EXPECT_EQ(L"<stop><window>: \"bad\" is neither true nor false.", Error(config[1]));
    EXPECT_EQ(L"<log><file> " + dir.Path() + L"\\LOGS\\DB.LOG is already the log file of \"db\".", Error(config[2]));
    EXPECT_EQ(L"<environment>: a Java entry takes its class path from <classpath>, not from a CLASSPATH variable.",
              Error(config[3]));
    EXPECT_EQ(L"<after> names \"nobody\", which no entry has as its title.", Error(config[4]));
    EXPECT_EQ(StopSettings::Console::CtrlC, config[0].server.stop.console);
    EXPECT_EQ(L"listening", config[1].server.order.ready);
}

TEST(ConfigurationServer, TheNewElementsSurviveARewriteAndAChangedEnvironmentIsAChange) {
    ScratchDirectory dir;
    Loaded source;
    std::wstring path = dir.Write(L"c.xml", Entries);
    ASSERT_EQ(L"", source.Load(path));
    source.file->WriteProcesses(source.file->GetProcesses());
    Loaded again;
    ASSERT_EQ(L"", again.Load(path));
    ASSERT_EQ(source.Count(), again.Count());
    for (size_t i = 0; i < source.Count(); ++i) {
        EXPECT_TRUE(source[i] == again[i]) << i;
        EXPECT_TRUE(source[i].server.stop == again[i].server.stop) << i;
        EXPECT_TRUE(source[i].server.log == again[i].server.log) << i;
        EXPECT_TRUE(source[i].server.order == again[i].server.order) << i;
    }
    const std::string written = ScratchDirectory::Read(path);
    EXPECT_NE(std::string::npos, written.find("<console>ctrl-c</console>"));
    EXPECT_NE(std::string::npos, written.find("<environmentFile>db.env</environmentFile>"));

    // Stop, log and start order are taken by a running process; the environment restarts it.
    ProcessInfo changed = again[0];
    changed.server.stop.timeoutMs = 1;
    changed.server.log.backups = 1;
    changed.server.order.after = L"web";
    EXPECT_TRUE(changed == again[0]);
    changed.server.environment.changes[0].value = L"other";
    EXPECT_FALSE(changed == again[0]);
    changed = again[0];
    changed.server.environment.file = L"other.env";
    EXPECT_FALSE(changed == again[0]);
}

// A bundled example, as Wine sees the source tree; each has three entries, none in error.
std::wstring LoadDemo(Loaded& config, const char* name) {
    std::wstring path = L"Z:";
    for (const char* c = TARNWICK_DEMO_DIR; *c; ++c) {
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    }
    path += L'\\' + std::wstring(name, name + strlen(name));
    EXPECT_EQ(L"", config.Load(path));
    EXPECT_EQ(3u, config.Count());
    for (size_t i = 0; i < config.Count(); ++i) {
        EXPECT_EQ(L"", Error(config[i])) << i;
    }
    return path;
}

TEST(ConfigurationServer, TheStartOrderDemoChainsASetUpStepAServiceAndItsClient) {
    Loaded config;
    LoadDemo(config, "start-order.tnkx");
    ASSERT_EQ(3u, config.Count());
    EXPECT_FALSE(config[0].server.order.afterSet);
    EXPECT_EQ(L"Prepare", config[1].server.order.after);
    EXPECT_EQ(L"done", config[1].server.order.ready);
    EXPECT_EQ(L"Service", config[2].server.order.after);
    EXPECT_EQ(L"ready", config[2].server.order.ready);
}

// The bundled example uses every server element, without an error.
TEST(ConfigurationServer, TheServerDemoLoadsCleanly) {
    Loaded config;
    std::wstring path = LoadDemo(config, "servers.tnkx");
    ASSERT_EQ(3u, config.Count());
    const ServerSettings& server = config[1].server;
    EXPECT_TRUE(server.environment.fileSet);
    EXPECT_TRUE(server.stop.executableSet);
    EXPECT_EQ(3u, server.log.backups);
    EXPECT_EQ(L"Set-up", server.order.after);
    EXPECT_EQ(L"tick 3", config[2].server.order.ready);
    EXPECT_EQ(0u, std::wstring(config[1].logPath.GetBuffer()).find(path.substr(0, path.size() - 12) + L"logs\\"));
}

}  // namespace
