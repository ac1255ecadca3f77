#pragma once

#include <cstdint>

#include "io/IInputStream.h"
#include "io/IOutputStream.h"
#include "net/http/HttpMessage.h"

namespace net {
namespace http {

class ChunkDecoder;

// A response as the client receives it: every byte in the raw stream, the decoded entity in
// the body stream.
class HttpResponse : public HttpMessage {
public:
    HttpResponse();

    // Reads one whole response from a connected socket (any byte source), replacing what this
    // object held, body included. The framing follows the headers: "Transfer-Encoding: chunked"
    // ends at the last chunk, "Content-Length" at that many body bytes, and a response with
    // neither when the server closes. Returns true when the response arrived complete; false
    // when the source ended, failed or timed out first (what arrived is kept all the same).
    // Raises an Exception for a malformed chunked body, an impossible Content-Length, a
    // transfer coding other than chunked, a header block beyond 64 KB or a body beyond the limit.
    bool Receive(io::IInputStream& socket);

    // Bounds the body bytes on the wire (0: no bound); with a sink, the bytes that go to it.
    void SetBodyLimit(uint32_t bytes) { bodyLimit = bytes; }
    // With a sink (not owned; null: none), the body of a 200 response goes to it as it arrives
    // and is never held here; Receive then raises when the sink would pass the body limit. Any
    // other response ends with its header block (its body is not read).
    void SetSink(io::IOutputStream* target) { sink = target; }

    // Takes the header block apart: the first line is the start line, every further
    // "Name: value" line a header. Several "Set-Cookie" lines (name in any case) are joined
    // with "; " into one "Set-Cookie" header. Raises for a line holding a bare CR or LF and for
    // Content-Length headers that disagree.
    void ParseHeaders(const String& text);

    // For a start line beginning with "HTTP/1." and having at least three parts, the number
    // after the first blank; else 0.
    int GetStatusCode() const;

private:
    enum class Framing { Unknown, Sized, Chunked, UntilClose };

    struct ReceiveState {
        uint32_t searchFrom = 0;  // where the next look for the header end starts
        uint32_t bodyStart = 0;
        uint32_t declared = 0;    // the length of a sized body
        uint32_t decoded = 0;     // raw bytes handed to the chunk decoder so far
        Framing framing = Framing::Unknown;
        bool streaming = false;   // the body goes to the sink
        bool headersOnly = false; // a response to a sink that is not a 200
        uint64_t streamed = 0;    // body bytes handed to the sink (a sized body's framing)
    };

    bool Advance(ReceiveState& state, ChunkDecoder& decoder);
    bool Stream(ReceiveState& state, ChunkDecoder& decoder, const char* data, uint32_t count);
    void ReadHeaders(ReceiveState& state, uint32_t headerEnd);
    bool Finish(const ReceiveState& state, const ChunkDecoder& decoder, bool closed);
    void DecodeChunkedBody(const ReceiveState& state, const ChunkDecoder& decoder);

    uint32_t bodyLimit;
    io::IOutputStream* sink;  // not owned
};

}  // namespace http
}  // namespace net
