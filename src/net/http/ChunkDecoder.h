#pragma once

#include <cstdint>
#include <string>

#include "io/IOutputStream.h"
#include "util/Object.h"

namespace net {
namespace http {

// Decodes a chunked body that arrives in pieces of any size: each chunk is a hexadecimal size
// line ended by CR LF, that many data bytes and a CR LF; the chunk of size 0 followed by its
// CR LF ends the body. Trailer fields after the last chunk are not supported.
//
// Feed returns NeedMore while the body is incomplete, Done once the last chunk's CR LF has been
// consumed (bytes after it are left alone: GetConsumed tells where the body ended), and Error
// for framing that can never become valid: a data block not followed by CR LF, an empty,
// overlong or zero-containing size line, or a body beyond 4 GiB. A size line that is not
// hexadecimal (an extension such as ";name=value" included) raises HexUtils' Exception. After Done or Error,
// further input is not consumed.
class ChunkDecoder : public Object {
public:
    enum class Result { NeedMore, Done, Error };

    ChunkDecoder();

    // Decodes count more bytes; the data bytes go to sink when one is given (a null sink only
    // checks the framing and counts the decoded size).
    Result Feed(const char* bytes, uint32_t count, io::IOutputStream* sink);

    bool IsDone() const { return state == State::Done; }
    // Bytes of input that belong to the body so far.
    uint64_t GetConsumed() const { return consumed; }
    // Sum of the sizes of the chunks seen so far.
    uint64_t GetDecodedSize() const { return decodedSize; }

private:
    enum class State { SizeLine, Data, DataEnd, Done, Error };

    uint32_t TakeSizeLine(const char* bytes, uint32_t count);
    uint32_t TakeData(const char* bytes, uint32_t count, io::IOutputStream* sink);
    uint32_t TakeDataEnd(const char* bytes, uint32_t count);
    void EndSizeLine();

    State state;
    std::string line;     // the size line read so far, CR included once seen
    uint32_t remaining;   // data bytes still to come in the current chunk
    uint32_t endSeen;     // bytes of the CR LF after the data seen so far
    bool lastChunk;       // the current chunk has size 0
    uint64_t consumed;
    uint64_t decodedSize;
};

}  // namespace http
}  // namespace net
