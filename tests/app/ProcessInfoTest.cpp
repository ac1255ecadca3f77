#include "app/ProcessInfo.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "common/JavaProcess.h"
#include "common/Process.h"
#include "support/TestApplication.h"
#include "support/ThrownMessage.h"

namespace {

ProcessInfo Filled() {
    ProcessInfo info;
    info.title = L"Server";
    info.executable = L"C:\\bin\\server.exe";
    info.initialDir = L"C:\\srv";
    info.commandLineArguments = L"-port 80";
    info.start = true;
    info.type = ProcessType::Standard;
    return info;
}

TEST(ProcessInfoCompare, EveryConfiguredFieldCountsButNotModifiedProcessOrRestartPolicy) {
    const ProcessInfo a = Filled();
    ProcessInfo b = Filled();
    b.modified = true;
    b.process = reinterpret_cast<Process*>(&b);  // never used: only compared
    b.restart = RestartPolicy::Mode::Always;     // a running process takes it without a restart
    EXPECT_FALSE(a != b);
    EXPECT_TRUE(a == b);

    const std::function<void(ProcessInfo&)> changes[] = {
        [](ProcessInfo& p) { p.title = L"server"; },  // letter case counts
        [](ProcessInfo& p) { p.classpath = L""; },  // an empty text differs from a null one
        [](ProcessInfo& p) { p.type = ProcessType::Java; }, [](ProcessInfo& p) { p.start = false; },
        [](ProcessInfo& p) { p.disabled = true; },          [](ProcessInfo& p) { p.javaOptions = L"-Xmx1g"; },
    };
    for (size_t i = 0; i < sizeof(changes) / sizeof(changes[0]); ++i) {
        b = Filled();
        changes[i](b);
        EXPECT_TRUE(a != b) << "change " << i;
    }
}

// The entry's kind decides the class; the fields of the first call are the process's for good.
TEST(ProcessInfoGetProcess, MadeOnceOfTheEntrysKindFromTheFieldsOfTheFirstCall) {
    ProcessInfo info = Filled();
    std::unique_ptr<Process> made(info.GetProcess());
    EXPECT_EQ(nullptr, dynamic_cast<java::JavaProcess*>(made.get()));
    info.executable = L"other.exe";
    EXPECT_EQ(made.get(), info.GetProcess());
    EXPECT_STREQ(L"C:\\bin\\server.exe", made->GetExecutable().GetBuffer());
    info = Filled();
    info.type = ProcessType::Java;
    info.startupclassname = L"org.example.Main";
    info.classpath = L"bin\\a.jar";
    info.javaOptions = L"-Xdebug";
    made.reset(info.GetProcess());
    auto* javaProcess = dynamic_cast<java::JavaProcess*>(made.get());
    ASSERT_NE(nullptr, javaProcess);
    EXPECT_STREQ(L"bin\\a.jar", javaProcess->GetClasspath().GetBuffer());
    EXPECT_STREQ(L"org.example.Main", javaProcess->GetStartupClass().GetBuffer());
    EXPECT_STREQ(L"-Xdebug", javaProcess->GetJavaOptions().GetBuffer());
    EXPECT_STREQ(L"-port 80", javaProcess->GetArguments().GetBuffer());
    EXPECT_STREQ(L"C:\\srv", javaProcess->GetWorkingDirectory().GetBuffer());
    EXPECT_TRUE(javaProcess->GetProgramFolder().IsEmpty());  // no application: nothing to scan
}

// A Java process scans the program's folder and, without a working directory, starts the child
// in the folder the program was started in.
TEST(ProcessInfoGetProcess, AJavaProcessLearnsTheProgramsFolderAndStartFolder) {
    testsupport::TestApplication application(L"D:\\tools\\tarnwick\\Tarnwick.exe");
    application.startDirectory = L"E:\\work\\";
    ProcessInfo info = Filled();
    info.type = ProcessType::Java;
    std::unique_ptr<Process> made(info.GetProcess());
    auto* javaProcess = dynamic_cast<java::JavaProcess*>(made.get());
    ASSERT_NE(nullptr, javaProcess);
    EXPECT_STREQ(L"D:\\tools\\tarnwick", javaProcess->GetProgramFolder().GetBuffer());
    EXPECT_STREQ(L"E:\\work\\", javaProcess->GetStartDirectory().GetBuffer());
}

// The console output settings do not make an entry differ: a reload passes them to the running
// process, which takes them at its next launch, and a Java process gets them too.
TEST(ProcessInfoCompare, ConsoleSettingsAreTakenLiveByTheProcess) {
    ProcessInfo running = Filled();
    std::unique_ptr<Process> made(running.GetProcess());
    ProcessInfo reloaded = Filled();
    reloaded.outputEncoding = util::OutputEncoding::Mode::Oem;
    reloaded.outputEncodingSet = true;
    reloaded.consoleHints = false;
    reloaded.consoleHintsSet = true;
    EXPECT_TRUE(running == reloaded);
    running.TakeLiveSettings(reloaded);
    EXPECT_EQ(util::OutputEncoding::Mode::Oem, made->GetOutputEncoding());
    EXPECT_FALSE(made->GetConsoleHints());
    EXPECT_TRUE(running.outputEncodingSet && running.consoleHintsSet);
    reloaded.type = ProcessType::Java;
    reloaded.startupclassname = L"org.example.Main";
    std::unique_ptr<Process> java(reloaded.GetProcess());
    EXPECT_EQ(util::OutputEncoding::Mode::Oem, java->GetOutputEncoding());
    EXPECT_FALSE(java->GetConsoleHints());
}

TEST(ProcessInfoGetProcess, UnknownTypeIsRefusedWithTheTitle) {
    ProcessInfo info;
    info.title = L"Mystery";
    EXPECT_EQ(L"ProcessInfo::GetProcess()\n Unknown process type for Mystery",
              testsupport::ThrownMessage([&] { info.GetProcess(); }));
    EXPECT_EQ(nullptr, info.process);
}

}  // namespace
