#include "common/OutputReader.h"

#include <gtest/gtest.h>

#include <string>

#include "common/ILogger.h"
#include "common/RunOutput.h"

namespace {

class Recorder : public util::logging::ILogger {
public:
    void Log(const wchar_t* text) override { own += text; }
    void LogOutput(const wchar_t* text) override { child += text; }
    std::wstring own, child;
};

struct Handle {
    explicit Handle(HANDLE handle) : handle(handle) {}
    ~Handle() { CloseHandle(handle); }
    HANDLE handle;
};

// Read on a pipe end until it fails; what the run's output received.
Recorder ReadUntilFailure(HANDLE pipe) {
    Recorder recorder;
    RunOutput output;
    output.SetLogger(&recorder);
    OutputReader reader(output);
    reader.BeginRun(util::OutputEncoding::Mode::Auto);
    Handle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Handle child(CreateEventW(nullptr, TRUE, FALSE, nullptr));  // a child that never ends
    Handle readEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OutputReader::Run run{pipe, child.handle, stop.handle, [] { return false; }, [] { return false; }};
    EXPECT_FALSE(reader.Read(run, readEvent.handle));
    output.SetLogger(nullptr);
    return recorder;
}

// Output ends silently when every writer has closed the pipe; a read that fails for any other
// reason says so in the output, since the child is then left writing into a pipe nobody reads.
TEST(OutputReader, TheOutputsEndIsSilentAndAnyOtherReadFailureIsTold) {
    const std::wstring name = L"\\\\.\\pipe\\TarnwickReaderTest" + std::to_wstring(GetCurrentProcessId());
    Handle server(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED, 0, 1, 4096, 4096, 0,
                                   nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, server.handle);
    HANDLE writer = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    DWORD written = 0;
    WriteFile(writer, "last words\r\n", 12, &written, nullptr);
    CloseHandle(writer);
    Recorder ended = ReadUntilFailure(server.handle);
    EXPECT_EQ(L"last words\r\n", ended.child);
    EXPECT_EQ(L"", ended.own);

    // A handle that cannot be read at all (a write-only end).
    Handle outbound(CreateNamedPipeW((name + L"out").c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED, 0, 1, 4096,
                                     4096, 0, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, outbound.handle);
    Recorder failed = ReadUntilFailure(outbound.handle);
    EXPECT_EQ(0u, failed.own.find(L"\r\nReading the output failed: ")) << failed.own;
    EXPECT_GT(failed.own.size(), std::wstring(L"\r\nReading the output failed: \r\n").size());  // the system's text
}

}  // namespace
