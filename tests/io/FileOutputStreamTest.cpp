#include "io/FileOutputStream.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ScratchDirectory.h"
#include "support/ThrownMessage.h"

namespace {

using testsupport::ScratchDirectory;
using testsupport::ThrownMessage;

// That the stream empties its file at once and writes what it is given is HttpClientTest's
// GetToFile, which downloads through it.
TEST(FileOutputStream, WriteAfterCloseRaisesTheFileMessage) {
    ScratchDirectory scratch;
    std::wstring closedPath = scratch.File(L"closed.bin");
    io::FileOutputStream closed(closedPath.c_str());
    closed.Close();
    std::wstring message = ThrownMessage([&] { closed.Write("x", 1); });
    EXPECT_EQ(0u, message.find(L"File::Write()\nFile : " + closedPath + L"\n")) << message;
    EXPECT_EQ(0u, closed.GetSize());
    // A file that cannot be created: HttpClientTest's GetToFile too.
}

}  // namespace
