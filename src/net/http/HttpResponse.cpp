#include "net/http/HttpResponse.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "net/http/ChunkDecoder.h"
#include "net/http/HexUtils.h"
#include "util/Exception.h"

namespace net {
namespace http {

namespace {

const int kReceiveBufferSize = 61440;
// A declared length reserves room for the body at once (growing a large body step by step moves
// it several times), but a server's word is not taken for more than this: larger bodies grow as
// they arrive, and a 32-bit program never asks for a huge block on a header's say-so.
const uint32_t kMaxReserve = 64u * 1024u * 1024u;
// Real header blocks are a few hundred bytes; a server sending more is not answering us.
const uint32_t kMaxHeaderBlock = 64u * 1024u;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// A length is digits and nothing else: anything looser could frame a cut body as a whole one.
bool IsDecimal(const String& text) {
    if (text.IsEmpty()) {
        return false;
    }
    for (const wchar_t* c = text.GetBuffer(); *c; ++c) {
        if (*c < L'0' || *c > L'9') {
            return false;
        }
    }
    return true;
}

// Position of the first "\r\n\r\n" at or after from, or -1.
int64_t FindHeaderEnd(const char* data, uint32_t size, uint32_t from) {
    for (uint32_t i = from; i + 4 <= size; ++i) {
        const char* hit = static_cast<const char*>(std::memchr(data + i, '\r', size - i));
        if (!hit) {
            return -1;
        }
        i = static_cast<uint32_t>(hit - data);
        if (i + 4 <= size && std::memcmp(hit, "\r\n\r\n", 4) == 0) {
            return i;
        }
    }
    return -1;
}

[[noreturn]] void Malformed(const wchar_t* what) {
    throw new Exception(L"HttpResponse::Receive()\n%s", what);
}

// Hands bytes on to a sink until a limit, and raises rather than pass it.
class CappedSink : public io::IOutputStream {
public:
    CappedSink(io::IOutputStream& target, uint32_t limit) : target(target), limit(limit) {}

    uint32_t GetSize() override { return target.GetSize(); }
    void Reset() override { target.Reset(); }
    void Write(const void* data, uint32_t count) override {
        if (limit && uint64_t(target.GetSize()) + count > limit) {
            Malformed(L"The body is larger than expected.");
        }
        target.Write(data, count);
    }

private:
    io::IOutputStream& target;
    uint32_t limit;
};

}  // namespace

HttpResponse::HttpResponse() : bodyLimit(0), sink(nullptr) {
    className = L"HttpResponse";
}

bool HttpResponse::Receive(io::IInputStream& socket) {
    Reset();
    body.Reset();
    std::vector<char> buffer(kReceiveBufferSize);
    ReceiveState state;
    ChunkDecoder decoder;
    bool closed = false;
    for (;;) {
        int received = socket.Read(buffer.data(), kReceiveBufferSize);
        if (received < 0) {
            break;  // failure or receive timeout
        }
        if (received == 0) {
            // The server closed its side: every further read would return 0 as well.
            closed = true;
            break;
        }
        if (state.streaming) {
            if (Stream(state, decoder, buffer.data(), static_cast<uint32_t>(received))) {
                break;
            }
            continue;
        }
        raw.Write(buffer.data(), static_cast<uint32_t>(received));
        if (Advance(state, decoder)) {
            break;
        }
    }
    return Finish(state, decoder, closed);
}

// Looks at what arrived since the last call; true when the response is complete.
bool HttpResponse::Advance(ReceiveState& state, ChunkDecoder& decoder) {
    uint32_t size = raw.GetSize();
    if (state.framing == Framing::Unknown) {
        int64_t headerEnd = FindHeaderEnd(raw.GetData(), size, state.searchFrom);
        if (headerEnd > kMaxHeaderBlock || (headerEnd < 0 && size > kMaxHeaderBlock)) {
            Malformed(L"The header block is too large.");
        }
        if (headerEnd < 0) {
            // The end marker may straddle this read and the next one.
            state.searchFrom = size > 3 ? size - 3 : 0;
            return false;
        }
        ReadHeaders(state, static_cast<uint32_t>(headerEnd));
        state.decoded = state.bodyStart;
        if (sink) {
            if (GetStatusCode() != 200) {
                state.headersOnly = true;  // a redirect or a failure: its header block says all we need
                return true;
            }
            state.streaming = true;
            return Stream(state, decoder, raw.GetData() + state.bodyStart, size - state.bodyStart);
        }
    }
    if (bodyLimit && size - state.bodyStart > bodyLimit) {
        Malformed(L"The body is larger than expected.");
    }
    switch (state.framing) {
        case Framing::Sized:
            return size - state.bodyStart >= state.declared;
        case Framing::Chunked: {
            ChunkDecoder::Result result = decoder.Feed(raw.GetData() + state.decoded, size - state.decoded, nullptr);
            state.decoded = size;
            if (result == ChunkDecoder::Result::Error) {
                Malformed(L"The chunked body is malformed.");
            }
            return result == ChunkDecoder::Result::Done;
        }
        default:
            return false;
    }
}

void HttpResponse::ReadHeaders(ReceiveState& state, uint32_t headerEnd) {
    state.bodyStart = headerEnd + 4;
    // The header text keeps the CR LF of its last line.
    ParseHeaders(String(raw.GetData(), headerEnd + 2));
    String length = GetHeader(L"Content-Length");
    String coding = GetHeader(L"Transfer-Encoding");
    if (!coding.IsNull()) {
        if (!coding.EqualsNoCase(L"chunked")) {
            Malformed(L"The transfer coding cannot be decoded.");  // we asked for identity
        }
        state.framing = Framing::Chunked;
    } else if (!length.IsNull()) {
        int64_t declared = HexUtils::DecimalStringToInteger64(length.GetBuffer());
        if (!IsDecimal(length) || uint64_t(declared) > 0xFFFFFFFFu - state.bodyStart ||
            (bodyLimit && uint64_t(declared) > bodyLimit)) {
            throw new Exception(L"HttpResponse::Receive()\nContent-Length %s cannot be received.", length.GetBuffer());
        }
        state.declared = static_cast<uint32_t>(declared);
        state.framing = Framing::Sized;
        if (!sink) {  // a body that goes to a sink is never held here
            uint32_t room = state.declared < kMaxReserve ? state.declared : kMaxReserve;
            raw.Reserve(state.bodyStart + room);
        }
    } else {
        // With "Connection: Close" sent, the server marks the end of such a body by closing.
        state.framing = Framing::UntilClose;
    }
}

// Hands body bytes to the sink; true when the body is complete.
bool HttpResponse::Stream(ReceiveState& state, ChunkDecoder& decoder, const char* data, uint32_t count) {
    CappedSink capped(*sink, bodyLimit);
    switch (state.framing) {
        case Framing::Sized: {
            uint64_t left = state.declared - state.streamed;
            uint32_t take = count < left ? count : static_cast<uint32_t>(left);
            capped.Write(data, take);
            state.streamed += take;
            return state.streamed >= state.declared;
        }
        case Framing::Chunked: {
            ChunkDecoder::Result result = decoder.Feed(data, count, &capped);
            if (result == ChunkDecoder::Result::Error) {
                Malformed(L"The chunked body is malformed.");
            }
            return result == ChunkDecoder::Result::Done;
        }
        default:
            capped.Write(data, count);
            return false;
    }
}

bool HttpResponse::Finish(const ReceiveState& state, const ChunkDecoder& decoder, bool closed) {
    if (state.headersOnly) {
        return true;
    }
    if (state.streaming) {
        switch (state.framing) {
            case Framing::Sized:
                return state.streamed >= state.declared;
            case Framing::Chunked:
                return decoder.IsDone();
            default:
                return closed;
        }
    }
    uint32_t size = raw.GetSize();
    const char* data = raw.GetData();
    switch (state.framing) {
        case Framing::Unknown:
            body.Write(data, size);  // no header end: everything is taken as the body
            return false;
        case Framing::Sized: {
            uint32_t available = size - state.bodyStart;
            uint32_t take = available < state.declared ? available : state.declared;
            body.Reserve(take);
            body.Write(data + state.bodyStart, take);
            return available >= state.declared;
        }
        case Framing::Chunked:
            DecodeChunkedBody(state, decoder);
            return decoder.IsDone();
        case Framing::UntilClose:
            body.Reserve(size - state.bodyStart);
            body.Write(data + state.bodyStart, size - state.bodyStart);
            return closed;
    }
    return false;
}

// The framing was checked as the bytes arrived; now the data go to the body in one pass, into
// a block of exactly the decoded size when the body is complete.
void HttpResponse::DecodeChunkedBody(const ReceiveState& state, const ChunkDecoder& checked) {
    uint32_t end = raw.GetSize();
    if (checked.IsDone()) {
        end = state.bodyStart + static_cast<uint32_t>(checked.GetConsumed());
        body.Reserve(static_cast<uint32_t>(checked.GetDecodedSize()));
    }
    ChunkDecoder decoder;
    decoder.Feed(raw.GetData() + state.bodyStart, end - state.bodyStart, &body);
}

void HttpResponse::ParseHeaders(const String& text) {
    std::wstring cookie;
    const wchar_t* all = text.IsNull() ? L"" : text.GetBuffer();
    bool first = true;
    for (const wchar_t* line = all;;) {
        const wchar_t* end = std::wcsstr(line, L"\r\n");
        if (!end) {
            break;  // a last piece without CR LF is not a complete line
        }
        std::wstring current(line, static_cast<size_t>(end - line));
        line = end + 2;
        if (current.find_first_of(L"\r\n") != std::wstring::npos) {
            // A lone line break could smuggle a line into a later request (a Location's, say).
            Malformed(L"A header line holds a bare line break.");
        }
        if (first) {
            startLine = current.c_str();
            first = false;
            continue;
        }
        size_t colon = current.find(L':');
        if (current.empty() || colon == std::wstring::npos) {
            continue;
        }
        size_t valueStart = colon + 1;
        while (valueStart < current.size() && IsBlank(current[valueStart])) {
            ++valueStart;
        }
        size_t valueEnd = current.size();
        while (valueEnd > valueStart && IsBlank(current[valueEnd - 1])) {
            --valueEnd;
        }
        String name(current.substr(0, colon).c_str());
        String value(current.substr(valueStart, valueEnd - valueStart).c_str());
        if (name.EqualsNoCase(L"Set-Cookie")) {
            cookie.append(cookie.empty() ? L"" : L"; ").append(value.GetBuffer());
            continue;
        }
        String earlier = GetHeader(name.GetBuffer());
        if (name.EqualsNoCase(L"Content-Length") && !earlier.IsNull() && !earlier.Equals(value)) {
            Malformed(L"The Content-Length headers disagree.");
        }
        SetHeader(name, value);
    }
    if (!cookie.empty()) {
        SetHeader(L"Set-Cookie", cookie.c_str());
    }
}

int HttpResponse::GetStatusCode() const {
    if (startLine.IsNull() || std::wcsncmp(startLine.GetBuffer(), L"HTTP/1.", 7) != 0) {
        return 0;  // not an HTTP/1.x response at all
    }
    String* parts = nullptr;
    int count = 0;
    if (!startLine.Split(L" ", &parts, &count)) {
        return 0;
    }
    int status = 0;
    if (count >= 3 && !parts[1].IsEmpty()) {
        status = HexUtils::DecimalStringToInteger(parts[1].GetBuffer());
    }
    delete[] parts;
    return status;
}

}  // namespace http
}  // namespace net
