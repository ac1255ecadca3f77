#include "common/OutputPipe.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ThrownMessage.h"

namespace {

// Gives names that a squatter holds before its own.
class SquattedPipe : public OutputPipe {
public:
    explicit SquattedPipe(int taken) : taken(taken) {}
    String NextName() override {
        ++asked;
        return asked <= taken ? String(L"\\\\.\\pipe\\TarnwickTestSquatted") : OutputPipe::NextName();
    }
    int taken;
    int asked = 0;
};

struct Event {
    Event() : handle(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Event() { CloseHandle(handle); }
    HANDLE handle;
};

// What the child's writes go through is seen with a real child in ProcessTest.
TEST(OutputPipe, OneInstanceOnlyAndOnlyTheChildsEndIsInheritedUntilTheChildHasIt) {
    Event stop;
    OutputPipe pipe;
    ASSERT_TRUE(pipe.Create(stop.handle));
    // Nobody can open a second instance under the name, nor connect to the one that is ours.
    HANDLE second = CreateNamedPipeW(pipe.GetName().GetBuffer(), PIPE_ACCESS_INBOUND, 0, PIPE_UNLIMITED_INSTANCES, 4096,
                                     4096, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, second);
    HANDLE client = CreateFileW(pipe.GetName().GetBuffer(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, client);
    DWORD flags = 0;
    ASSERT_TRUE(GetNamedPipeInfo(pipe.ChildEnd(), &flags, nullptr, nullptr, nullptr));
    EXPECT_EQ(0u, flags & PIPE_SERVER_END);
    DWORD inherit = 0;
    ASSERT_TRUE(GetHandleInformation(pipe.ChildEnd(), &inherit));
    EXPECT_EQ(static_cast<DWORD>(HANDLE_FLAG_INHERIT), inherit & HANDLE_FLAG_INHERIT);
    ASSERT_TRUE(GetHandleInformation(pipe.ReadEnd(), &inherit));
    EXPECT_EQ(0u, inherit & HANDLE_FLAG_INHERIT);

    pipe.KeepFromOtherChildren();
    ASSERT_TRUE(GetHandleInformation(pipe.ChildEnd(), &inherit));
    EXPECT_EQ(0u, inherit & HANDLE_FLAG_INHERIT);
    pipe.Close();
    EXPECT_EQ(nullptr, pipe.ReadEnd());
    EXPECT_EQ(nullptr, pipe.ChildEnd());
}

TEST(OutputPipe, ATakenNameIsGivenUpForANewOneAndAStopCutsTheWaitShort) {
    HANDLE squatter =
        CreateNamedPipeW(L"\\\\.\\pipe\\TarnwickTestSquatted", PIPE_ACCESS_INBOUND, 0, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, squatter);
    Event stop;
    SquattedPipe twice(2);
    ASSERT_TRUE(twice.Create(stop.handle));
    EXPECT_EQ(3, twice.asked);
    EXPECT_NE(std::wstring(L"\\\\.\\pipe\\TarnwickTestSquatted"), twice.GetName().GetBuffer());

    SquattedPipe always(3);
    std::wstring message = testsupport::ThrownMessage([&] { always.Create(stop.handle); });
    EXPECT_EQ(0u, message.find(L"Process::ExecuteExternalProcess()\nCreateNamedPipe()\n")) << message;
    EXPECT_EQ(nullptr, always.ReadEnd());

    SetEvent(stop.handle);
    SquattedPipe stopped(3);
    ULONGLONG before = GetTickCount64();
    EXPECT_FALSE(stopped.Create(stop.handle));
    EXPECT_EQ(1, stopped.asked);
    EXPECT_LT(GetTickCount64() - before, 200u);
    CloseHandle(squatter);
}

}  // namespace
