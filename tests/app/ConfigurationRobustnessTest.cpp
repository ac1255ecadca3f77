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

// The damaged files themselves are covered natively (RapidXMLRobustness); here a small corpus
// checks what only the Windows file layer can break: the file is never changed and never left open.
TEST(ConfigurationRobustness, DamagedFilesAreNeitherChangedNorLeftOpen) {
    ScratchDirectory dir;
    testsupport::Mutator mutator(20260612u);
    std::wstring path = dir.File(L"damaged.xml");
    for (int i = 0; i < 120; ++i) {
        std::string bytes = mutator.Mutate(testsupport::Mutator::kValidConfiguration);
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
