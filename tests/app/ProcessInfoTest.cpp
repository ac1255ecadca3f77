#include "app/ProcessInfo.h"

#include <gtest/gtest.h>

#include <memory>

#include "common/JavaProcess.h"
#include "common/Process.h"
#include "util/Exception.h"

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

TEST(ProcessInfoCompare, EveryConfiguredFieldCountsButNotModifiedOrProcess) {
    ProcessInfo a = Filled();
    ProcessInfo b = Filled();
    EXPECT_FALSE(a != b);
    b.modified = true;
    b.process = reinterpret_cast<Process*>(&b);  // never used: only compared
    EXPECT_FALSE(a != b);
    EXPECT_TRUE(a == b);

    b = Filled();
    b.title = L"server";  // letter case counts
    EXPECT_TRUE(a != b);
    b = Filled();
    b.classpath = L"";  // an empty text differs from a null one
    EXPECT_TRUE(a != b);
    b = Filled();
    b.type = ProcessType::Java;
    EXPECT_TRUE(a != b);
    b = Filled();
    b.start = false;
    EXPECT_TRUE(a != b);
    b = Filled();
    b.disabled = true;
    EXPECT_TRUE(a != b);
    b = Filled();
    b.javaOptions = L"-Xmx1g";
    EXPECT_TRUE(a != b);
}

TEST(ProcessInfoCopy, CopiesEveryFieldThePointerIncluded) {
    ProcessInfo a = Filled();
    a.modified = true;
    a.disabled = true;
    a.process = reinterpret_cast<Process*>(&a);
    ProcessInfo copy;
    copy = a;
    EXPECT_FALSE(copy != a);
    EXPECT_EQ(a.process, copy.process);
    EXPECT_TRUE(copy.modified);
    EXPECT_STREQ(L"C:\\bin\\server.exe", copy.executable.GetBuffer());
    EXPECT_TRUE(copy.classpath.IsNull());
    ProcessInfo constructed(a);
    EXPECT_FALSE(constructed != a);
    EXPECT_STREQ(L"ProcessInfo", constructed.GetObjectClassName());
}

TEST(ProcessInfoGetProcess, MadeOnceFromTheFieldsOfTheFirstCall) {
    ProcessInfo info = Filled();
    std::unique_ptr<Process> made(info.GetProcess());
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(made.get(), info.GetProcess());
    EXPECT_EQ(nullptr, dynamic_cast<java::JavaProcess*>(made.get()));
    EXPECT_STREQ(L"C:\\bin\\server.exe", made->GetExecutable().GetBuffer());
    EXPECT_STREQ(L"-port 80", made->GetArguments().GetBuffer());
    EXPECT_STREQ(L"C:\\srv", made->GetWorkingDirectory().GetBuffer());
    info.executable = L"other.exe";  // later changes do not reach the made object
    EXPECT_EQ(made.get(), info.GetProcess());
    EXPECT_STREQ(L"C:\\bin\\server.exe", made->GetExecutable().GetBuffer());
}

TEST(ProcessInfoGetProcess, JavaEntriesMakeAJavaProcess) {
    ProcessInfo info;
    info.title = L"Tomcat";
    info.type = ProcessType::Java;
    info.startupclassname = L"org.example.Main";
    info.classpath = L"bin\\a.jar";
    info.javaOptions = L"-Xdebug";
    info.commandLineArguments = L"start";
    info.initialDir = L"D:\\tomcat";
    std::unique_ptr<Process> made(info.GetProcess());
    auto* javaProcess = dynamic_cast<java::JavaProcess*>(made.get());
    ASSERT_NE(nullptr, javaProcess);
    EXPECT_STREQ(L"bin\\a.jar", javaProcess->GetClasspath().GetBuffer());
    EXPECT_STREQ(L"org.example.Main", javaProcess->GetStartupClass().GetBuffer());
    EXPECT_STREQ(L"-Xdebug", javaProcess->GetJavaOptions().GetBuffer());
    EXPECT_STREQ(L"start", javaProcess->GetArguments().GetBuffer());
    EXPECT_STREQ(L"D:\\tomcat", javaProcess->GetWorkingDirectory().GetBuffer());
}

TEST(ProcessInfoGetProcess, UnknownTypeIsRefusedWithTheTitle) {
    ProcessInfo info;
    info.title = L"Mystery";
    try {
        info.GetProcess();
        FAIL() << "no exception";
    } catch (Exception* e) {
        EXPECT_STREQ(L"ProcessInfo::GetProcess()\n Unknown process type for Mystery", e->GetMessageText().GetBuffer());
        delete e;
    }
    EXPECT_EQ(nullptr, info.process);
}

}  // namespace
