#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/ChunkAssembler.h"
#include "common/RunOutput.h"
#include "util/OutputEncoding.h"

// The worker's side of a run's pipe: reads what the child writes, turns the bytes into text in
// the run's output encoding (a character cut by the end of a read waits for the rest) and hands
// the text on, until every process of the run has ended or a stop is asked for.
class OutputReader {
public:
    // What the reader watches besides the pipe.
    struct Run {
        HANDLE pipe;       // the read end, opened for overlapped reads
        HANDLE child;      // the run's direct child
        HANDLE stopEvent;  // set when a stop is asked for
        std::function<bool()> stopRequested;
        std::function<bool()> over;  // every process of the run has ended
    };

    explicit OutputReader(RunOutput& output);
    OutputReader(const OutputReader&) = delete;
    OutputReader& operator=(const OutputReader&) = delete;

    // Readies the decoding for a new run: the encoding stays the run's to its end, so that the
    // assembler and the decoder agree.
    void BeginRun(util::OutputEncoding::Mode mode);
    // Reads the run's output until the run is over, and what it left in the pipe, or until a stop
    // is asked for: true for the stop. readEvent: a manual-reset event for the reads.
    bool Read(const Run& run, HANDLE readEvent);

private:
    // What the reader learns while it waits or between reads.
    enum class Wake { Data, Ended, Stopped };
    Wake WaitForRead(const Run& run, HANDLE readEvent);
    // Hands on count bytes read into readBuffer.
    void Deliver(DWORD count);
    // Decodes the child's bytes in the run's encoding and hands them on; block, where given, is
    // the buffer that holds them, which the log file may take.
    void LogBytes(const char* bytes, size_t count, std::vector<char>* block = nullptr);
    // A read that failed for another reason than the output's end is told in the output.
    void TellReadFailure(DWORD error);

    RunOutput& output;
    ChunkAssembler assembler;
    std::vector<wchar_t> wide;  // conversion buffer, kept between chunks
    std::wstring decoded;       // the same for text that is not plain ASCII
    util::OutputEncoding::Mode runEncoding;
    bool ansiLead[256];  // the lead bytes of a double-byte ANSI code page, for "auto"
    bool ansiDoubleByte;
    std::vector<char> readBuffer;  // kept between runs, unless the log file takes it
    std::unique_ptr<OVERLAPPED> readRecord;
    bool childEnded;  // the reader saw the direct child end
    DWORD endPollMs;  // the next look for the end of the job after the child's
};
