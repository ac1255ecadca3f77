#include "io/FileOutputStream.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ScratchDirectory.h"
#include "support/ThrownMessage.h"

namespace {

using testsupport::ScratchDirectory;
using testsupport::ThrownMessage;

TEST(FileOutputStream, ConstructionTruncates) {
    ScratchDirectory scratch;
    std::wstring path = scratch.Write(L"out.bin", "previous contents");
    {
        io::FileOutputStream stream(path.c_str());
        EXPECT_EQ("", ScratchDirectory::Read(path));
        stream.Write("ab", 2);
        stream.Write("\0c", 2);
        EXPECT_EQ(4u, stream.GetSize());
    }
    EXPECT_EQ(std::string("ab\0c", 4), ScratchDirectory::Read(path));
}

TEST(FileOutputStream, WriteAfterCloseRaisesTheFileMessage) {
    ScratchDirectory scratch;
    std::wstring closedPath = scratch.File(L"closed.bin");
    io::FileOutputStream closed(closedPath.c_str());
    closed.Close();
    std::wstring message = ThrownMessage([&] { closed.Write("x", 1); });
    EXPECT_EQ(0u, message.find(L"File::Write()\nFile : " + closedPath + L"\n")) << message;
    EXPECT_EQ(0u, closed.GetSize());
    // A file that cannot be created: HttpClientTest's GetToFile, which writes through this stream.
}

}  // namespace
