#include "net/http/ChunkDecoder.h"

#include "net/http/HexUtils.h"
#include "util/String.h"

namespace net {
namespace http {

namespace {

// Longer size lines are not sent by real servers; the cap keeps a hostile one from growing
// the line without end.
const size_t kMaxSizeLine = 1024;
const uint64_t kMaxBody = 0xFFFFFFFFu;

}  // namespace

ChunkDecoder::ChunkDecoder()
    : state(State::SizeLine), remaining(0), endSeen(0), lastChunk(false), consumed(0), decodedSize(0) {
    className = L"ChunkDecoder";
}

ChunkDecoder::Result ChunkDecoder::Feed(const char* bytes, uint32_t count, io::IOutputStream* sink) {
    uint32_t position = 0;
    while (position < count && state != State::Done && state != State::Error) {
        const char* next = bytes + position;
        uint32_t left = count - position;
        uint32_t taken = 0;
        switch (state) {
            case State::SizeLine: taken = TakeSizeLine(next, left); break;
            case State::Data: taken = TakeData(next, left, sink); break;
            case State::DataEnd: taken = TakeDataEnd(next, left); break;
            default: break;
        }
        position += taken;
        consumed += taken;
    }
    if (state == State::Done) {
        return Result::Done;
    }
    return state == State::Error ? Result::Error : Result::NeedMore;
}

uint32_t ChunkDecoder::TakeSizeLine(const char* bytes, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        char c = bytes[i];
        if (!line.empty() && line.back() == '\r' && c == '\n') {
            line.pop_back();
            EndSizeLine();
            return i + 1;
        }
        if (c == '\0' || line.size() >= kMaxSizeLine) {
            state = State::Error;
            return i;
        }
        line.push_back(c);
    }
    return count;
}

void ChunkDecoder::EndSizeLine() {
    if (line.find_first_not_of(' ') == std::string::npos) {
        state = State::Error;  // an empty size line is no size, least of all the last chunk's 0
        return;
    }
    String text(line.data(), line.size());
    line.clear();
    uint32_t size = HexUtils::HexStringToInteger(text.GetBuffer());
    decodedSize += size;
    if (decodedSize > kMaxBody) {
        state = State::Error;
        return;
    }
    remaining = size;
    lastChunk = size == 0;
    endSeen = 0;
    state = size == 0 ? State::DataEnd : State::Data;
}

uint32_t ChunkDecoder::TakeData(const char* bytes, uint32_t count, io::IOutputStream* sink) {
    uint32_t take = count < remaining ? count : remaining;
    if (sink) {
        sink->Write(bytes, take);
    }
    remaining -= take;
    if (remaining == 0) {
        state = State::DataEnd;
    }
    return take;
}

uint32_t ChunkDecoder::TakeDataEnd(const char* bytes, uint32_t count) {
    uint32_t i = 0;
    for (; i < count && endSeen < 2; ++i, ++endSeen) {
        if (bytes[i] != (endSeen == 0 ? '\r' : '\n')) {
            state = State::Error;
            return i;
        }
    }
    if (endSeen == 2) {
        state = lastChunk ? State::Done : State::SizeLine;
    }
    return i;
}

}  // namespace http
}  // namespace net
