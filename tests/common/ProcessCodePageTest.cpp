#include "common/Process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Recorders.h"
#include "support/TestApplication.h"
#include "support/TestPaths.h"

namespace {

// Runs with a Japanese locale (see CMakeLists.txt), so that the ANSI code page is 932, where
// characters take one or two bytes.
// Both as "ansi" and as "auto", which takes what is not UTF-8 in the ANSI code page.
TEST(ProcessCodePage, ADoubleByteCharacterCutByAChunkBoundaryArrivesWhole) {
    ASSERT_EQ(932u, GetACP()) << "the test needs the ja_JP.UTF-8 locale (tools/setup.sh generates it)";
    testsupport::TestApplication application;
    for (util::OutputEncoding::Mode mode : {util::OutputEncoding::Mode::Ansi, util::OutputEncoding::Mode::Auto}) {
        testsupport::RecordingLogger logger;
        Process process;
        process.SetLogger(&logger);
        process.SetOutputEncoding(mode);
        process.SetExecutable(testsupport::HelperPath(L"ProcessProbe.exe").c_str());
        // "x" and the lead byte of HIRAGANA A (0x82 0xA0) in one write, the trail byte and "y" in
        // the next read: each write waits until the one before has been read. Then KATAKANA A
        // (0x83 0x41), whose trail byte is an ASCII letter, cut the same way.
        process.SetArguments(L"bytes 7882 flush bytes A079 flush bytes 82A0 flush bytes 2083 flush bytes 41 exit 0");
        process.Start();
        ASSERT_TRUE(logger.WaitForCall(testsupport::Footer()));
        // Debug block (6 calls), the child's chunks, the footer and the exit line.
        ASSERT_TRUE(testsupport::WaitUntil([&] { return logger.Calls().back().rfind(L"Exit code ", 0) == 0; }));
        std::vector<std::wstring> calls = logger.Calls();
        std::vector<std::wstring> chunks(calls.begin() + 6, calls.end() - 2);
        EXPECT_EQ((std::vector<std::wstring>{L"x", L"\u3042y", L"\u3042", L" ", L"\u30A2"}), chunks)
            << util::OutputEncoding::Name(mode);
    }
}

}  // namespace
