#include "common/OutputReader.h"

#include <cstring>

#include "common/OutputPipe.h"
#include "util/SystemError.h"
#include "util/TextCodec.h"
#include "util/TextScan.h"

namespace {

const DWORD PipeBufferSize = OutputPipe::BufferSize;
const DWORD ReadSize = 32785;

// The lead bytes of a double-byte code page into lead; false for any other code page.
bool LeadBytes(UINT codePage, bool* lead) {
    CPINFO info = {};
    if (codePage == CP_UTF8 || !GetCPInfo(codePage, &info) || info.MaxCharSize != 2) {
        return false;
    }
    std::memset(lead, 0, 256 * sizeof(bool));
    for (int range = 0; range + 1 < MAX_LEADBYTES && info.LeadByte[range] != 0; range += 2) {
        for (int b = info.LeadByte[range]; b <= info.LeadByte[range + 1]; ++b) {
            lead[b] = true;
        }
    }
    return true;
}

}  // namespace

OutputReader::OutputReader(RunOutput& output)
    : output(output),
      runEncoding(util::OutputEncoding::Mode::Auto),
      ansiLead(),
      ansiDoubleByte(false),
      childEnded(false),
      endPollMs(1) {}

void OutputReader::BeginRun(util::OutputEncoding::Mode mode) {
    childEnded = false;
    endPollMs = 1;
    // A character cut by the end of a read waits for the rest; "auto" keeps back what could still
    // become a UTF-8 sequence, and a lead byte of a double-byte ANSI code page outside them.
    assembler = ChunkAssembler();
    using Mode = util::OutputEncoding::Mode;
    runEncoding = mode;
    ansiDoubleByte = false;
    if (runEncoding == Mode::Auto) {
        ansiDoubleByte = LeadBytes(GetACP(), ansiLead);
        assembler.SetAuto(ansiDoubleByte ? ansiLead : nullptr);
        return;
    }
    UINT codePage = runEncoding == Mode::Oem ? GetOEMCP() : GetACP();
    bool lead[256];
    if (runEncoding == Mode::Utf8 || codePage == CP_UTF8) {
        assembler.SetUtf8();
    } else if (LeadBytes(codePage, lead)) {
        assembler.SetLeadBytes(lead);
    }
}

bool OutputReader::Read(const Run& run, HANDLE readEvent) {
    if (!readRecord) {
        readRecord.reset(new OVERLAPPED());
    }
    OVERLAPPED& overlapped = *readRecord;
    overlapped = {};
    overlapped.hEvent = readEvent;
    bool pending = false;
    bool stopped = false;
    // Once the run is over only what it left in the pipe is read: more than the pipe holds means
    // something outside the run (a process the tree walk does not know) is writing.
    unsigned long long drained = 0;
    bool over = false;
    ULONGLONG lastLook = GetTickCount64();
    for (;;) {
        DWORD count = 0;
        pending = false;
        // Reads that complete at once never reach the wait below, so a flooding process would keep
        // the loop from ever seeing the stop or the run's end. Looking costs system calls: every
        // 10 ms will do.
        ULONGLONG now = GetTickCount64();
        if (now - lastLook >= 10) {
            lastLook = now;
            over = over || run.over();
            if (!over && run.stopRequested()) {
                stopped = true;
                break;
            }
            if (over && drained > PipeBufferSize) {
                break;
            }
        }
        // The log file may have taken the last buffer: this one is then new or one it is done with.
        readBuffer.resize(ChunkAssembler::MaxCarry + ReadSize + 1);
        if (!ReadFile(run.pipe, readBuffer.data() + ChunkAssembler::MaxCarry, ReadSize, &count, &overlapped)) {
            if (GetLastError() != ERROR_IO_PENDING) {
                TellReadFailure(GetLastError());
                break;
            }
            pending = true;
            Wake wake = WaitForRead(run, readEvent);
            if (wake != Wake::Data) {
                stopped = wake == Wake::Stopped;
                break;
            }
            pending = false;
            if (!GetOverlappedResult(run.pipe, &overlapped, &count, FALSE)) {
                count = 0;
            }
        }
        drained += over ? count : 0;
        Deliver(count);
    }
    if (pending) {
        // The read still refers to our buffer and record: cancel it and let it complete first.
        // Bytes it took before the cancel are output too.
        CancelIoEx(run.pipe, &overlapped);
        DWORD count = 0;
        if (!GetOverlappedResult(run.pipe, &overlapped, &count, TRUE)) {
            count = 0;
        }
        Deliver(count);
    }
    char rest[ChunkAssembler::MaxCarry];
    LogBytes(rest, assembler.Flush(rest));  // the output ended inside a character: show what came
    return stopped;
}

void OutputReader::TellReadFailure(DWORD error) {
    // The pipe's end (every writer has closed it) is how output normally ends. Anything else
    // leaves the child writing into a pipe nobody reads: its output stops here, and the user
    // must know why rather than see the run end in silence.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF || error == ERROR_PIPE_NOT_CONNECTED) {
        return;
    }
    SetLastError(error);
    output.Log((std::wstring(L"\r\nReading the output failed: ") + GetSystemErrorText() + L"\r\n").c_str());
}

OutputReader::Wake OutputReader::WaitForRead(const Run& run, HANDLE readEvent) {
    for (;;) {
        // The child's handle tells its end at once; after it, the end of the rest of its job is
        // looked for after 1 ms, then 2, 4 ... up to 50 ms (what a program leaves, such as its
        // console host, is mostly gone at once). No other call per wait: this runs for every
        // read that waits.
        DWORD timeout = INFINITE;
        if (childEnded) {
            timeout = run.over() ? 0 : endPollMs;
            endPollMs = endPollMs * 2 < 50 ? endPollMs * 2 : 50;
        }
        HANDLE waits[3] = {readEvent, run.stopEvent, run.child};
        DWORD result = WaitForMultipleObjectsEx(childEnded ? 2 : 3, waits, FALSE, timeout, TRUE);
        if (result == WAIT_OBJECT_0) {
            return Wake::Data;  // the lowest index wins: output already there is read first
        }
        if (result == WAIT_OBJECT_0 + 1) {
            return run.over() ? Wake::Ended : Wake::Stopped;
        }
        if (result == WAIT_OBJECT_0 + 2 || result == WAIT_TIMEOUT) {
            childEnded = true;
            if (run.over()) {
                return Wake::Ended;
            }
        } else if (result != WAIT_IO_COMPLETION) {
            TellReadFailure(result == WAIT_FAILED ? GetLastError() : ERROR_GEN_FAILURE);
            return Wake::Ended;  // the wait failed: nothing more can be read
        }
    }
}

void OutputReader::Deliver(DWORD count) {
    if (count == 0 || !output.HasLogger()) {
        return;
    }
    char* start = nullptr;
    size_t complete = assembler.Take(readBuffer.data(), count, &start);
    LogBytes(start, complete, &readBuffer);
}

void OutputReader::LogBytes(const char* bytes, size_t count, std::vector<char>* block) {
    if (!output.HasLogger() || count == 0) {
        return;
    }
    // At most one UTF-16 unit per byte in any ANSI code page, plus the terminating zero.
    if (wide.size() < count + 1) {
        wide.resize(count + 1);
    }
    // Plain ASCII, most output, is the same in every encoding: widen it in one pass, and decode
    // only chunks that hold other bytes.
    if (TextScan::WidenAscii(bytes, count, wide.data())) {
        wide[count] = L'\0';
        output.LogChild(wide.data(), bytes, count, block);
        return;
    }
    util::TextCodec::DecodeOutput(bytes, count, runEncoding, decoded, ansiDoubleByte ? ansiLead : nullptr);
    if (!decoded.empty()) {
        output.LogChild(decoded.c_str());
    }
    // A burst of odd bytes must not hold its memory for the rest of the run.
    if (decoded.capacity() > 4 * ReadSize) {
        std::wstring().swap(decoded);
    }
}
