#include "app/ConfigurationFile.h"

#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <string>

#include "support/Mutator.h"
#include "support/ScratchDirectory.h"
#include "util/Exception.h"

using testsupport::ScratchDirectory;

namespace {

const char kValid[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<processes>\r\n"
    "\t<process>\r\n\t\t<title>Tomcat &amp; friends</title>\r\n"
    "\t\t<startupclassname>org.apache.catalina.startup.Bootstrap</startupclassname>\r\n"
    "\t\t<javaOptions>-Xdebug</javaOptions>\r\n\t\t<classpath>bin\\bootstrap.jar</classpath>\r\n"
    "\t</process>\r\n"
    "\t<process>\r\n\t\t<title>caf\xC3\xA9</title>\r\n\t\t<executable>start.cmd</executable>\r\n"
    "\t\t<start>false</start>\r\n\t\t<disabled>TRUE</disabled>\r\n\t</process>\r\n"
    "</processes>\r\n";

// The damaged files themselves are covered natively (RapidXMLRobustness); here a small corpus
// checks what only the Windows file layer can break: the file is never changed and never left open.
TEST(ConfigurationRobustness, DamagedFilesAreNeitherChangedNorLeftOpen) {
    ScratchDirectory dir;
    testsupport::Mutator mutator(20260612u);
    std::wstring path = dir.File(L"damaged.xml");
    for (int i = 0; i < 120; ++i) {
        std::string bytes = mutator.Mutate(kValid);
        dir.Write(L"damaged.xml", bytes);
        std::unique_ptr<ConfigurationFile> file(new ConfigurationFile());
        file->SetPath(path.c_str());
        try {
            file->Load(nullptr);
            file->ReadProcesses();
            for (ProcessInfo* info : file->GetProcesses()) {
                delete info;
            }
        } catch (Exception* e) {
            delete e;
        } catch (const std::exception& e) {
            ADD_FAILURE() << "file " << i << ": foreign exception " << e.what();
        }
        EXPECT_FALSE(file->IsOpen());
        ASSERT_EQ(bytes, ScratchDirectory::Read(path)) << "file " << i << " was modified";
    }
}

}  // namespace
