#include <gtest/gtest.h>

#include <string>

#include "LoadedConfiguration.h"
#include "support/Mutator.h"
#include "support/ScratchDirectory.h"

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
        apptest::Loaded loaded;  // a foreign exception fails the test
        loaded.Load(path);
        EXPECT_FALSE(loaded.file->IsOpen()) << "file " << i;
        ASSERT_EQ(bytes, ScratchDirectory::Read(path)) << "file " << i << " was modified";
    }
}

}  // namespace
