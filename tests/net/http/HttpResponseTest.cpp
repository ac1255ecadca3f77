#include "net/http/HttpResponse.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "io/StreamContents.h"
#include "net/http/ScriptedSource.h"
#include "support/ThrownMessage.h"

namespace {

using net::http::HttpResponse;
using testsupport::Contents;
using testsupport::ScriptedSource;

std::string Body(HttpResponse& response) { return Contents(response.GetBody()); }

const std::string kSizedHead = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";
const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

TEST(HttpResponse, ParseHeadersTakesStartLineHeadersAndJoinsCookies) {
    HttpResponse response;
    response.ParseHeaders(
        L"HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nX-Name:value\r\nno colon here\r\n\r\n"
        L"set-cookie: b=2\r\nX-Twice: 1\r\nX-Twice: 2\r\nX-Trim: \t v \t\r\nX-Cut: never ended");
    EXPECT_STREQ(L"HTTP/1.1 200 OK", response.GetStartLine().GetBuffer());
    EXPECT_STREQ(L"a=1; b=2", response.GetHeader(L"set-cookie").GetBuffer());  // names in any case
    EXPECT_STREQ(L"value", response.GetHeader(L"X-Name").GetBuffer());         // no blank after the colon
    EXPECT_STREQ(L"2", response.GetHeader(L"X-Twice").GetBuffer());
    EXPECT_STREQ(L"v", response.GetHeader(L"X-Trim").GetBuffer());
    EXPECT_TRUE(response.GetHeader(L"X-Cut").IsNull());  // a last piece without CR LF
    EXPECT_EQ(4u, response.GetHeaders().size());
}

TEST(HttpResponse, StatusIsTheNumberAfterTheFirstBlankWhenThereAreThreeParts) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"HTTP/1.1 200 OK", 200}, {L"HTTP/1.1 302 Moved Temporarily", 302}, {L"HTTP/1.0 404x Not Found", 404},
        {L"HTTP/1.1 200", 0},      {L"ICY 200 OK", 0},                        {L"HTTP/2 200 OK", 0},
        {L"HTTP/1.1  200 OK", 0},  {L"", 0},  // no status without exactly one blank before it
    };
    HttpResponse response;
    for (const auto& c : cases) {
        response.SetStartLine(c.first);
        EXPECT_EQ(c.second, response.GetStatusCode()) << c.first;
    }
}

TEST(HttpResponse, ReceiveFramesTheBody) {
    const std::string slow = kChunkedHead + "3\r\nabc\r\n00A\r\n0123456789\r\n0\r\n\r\n";
    std::vector<std::string> byteByByte;
    for (char c : slow) {
        byteByByte.push_back(std::string(1, c));
    }
    const struct {
        const char* what;
        std::vector<std::string> pieces;
        int ending;  // what the source gives after the pieces: 0 closed, -1 failed
        bool complete;
        std::string body;
        int reads;  // -1: not checked
    } cases[] = {
        {"sized, later read", {kSizedHead + "hello", "never read"}, 0, true, "hello", 1},
        {"sized, extra bytes", {kSizedHead + "helloEXTRA"}, 0, true, "hello", 1},
        {"zero length", {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", "x"}, 0, true, "", 1},
        {"sized, closed early", {kSizedHead + "hel"}, 0, false, "hel", -1},
        {"sized, timed out", {kSizedHead + "hel"}, -1, false, "hel", -1},
        {"no length", {"HTTP/1.1 200 OK\r\n\r\nab", "cd", "ef"}, 0, true, "abcdef", 4},  // until closed
        {"lower-case length", {"HTTP/1.1 200 OK\r\ncontent-length: 2\r\n\r\nab", "cd"}, 0, true, "ab", 1},
        {"Chunked", {"HTTP/1.1 200 OK\r\ntransfer-encoding: Chunked\r\n\r\n2\r\nab\r\n0\r\n\r\n"}, 0, true, "ab", 1},
        {"no length, timed out", {"HTTP/1.1 200 OK\r\n\r\nab", "cd"}, -1, false, "abcd", -1},
        {"byte by byte", byteByByte, -1, true, "abc0123456789", static_cast<int>(slow.size())},
        // chunk data that ends like the last chunk does not end the body
        {"looks ended", {kChunkedHead + "7\r\nab0\r\n\r\n"}, -1, false, "ab0\r\n\r\n", -1},
        {"really ended", {kChunkedHead + "7\r\nab0\r\n\r\n", "\r\n0\r\n\r\n"}, 0, true, "ab0\r\n\r\n", -1},
        {"chunk beyond the data", {kChunkedHead + "100\r\nshort"}, 0, false, "short", -1},
        {"no header end", {"garbage\r\n", "more"}, 0, false, "garbage\r\nmore", -1},  // all is body
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HttpResponse response;
        ScriptedSource source(c.pieces, c.ending);
        EXPECT_EQ(c.complete, response.Receive(source));
        EXPECT_EQ(c.body, Body(response));
        if (c.reads >= 0) {
            EXPECT_EQ(c.reads, source.Reads());
        }
    }
    HttpResponse garbage;
    ScriptedSource source({"garbage\r\n", "more"});
    garbage.Receive(source);
    EXPECT_EQ(0, garbage.GetStatusCode());  // no start line without a header end
}

TEST(HttpResponse, ReceiveFindsAHeaderEndSplitAcrossReadsAndReplacesWhatWasHeld) {
    HttpResponse response;
    ScriptedSource moved({"HTTP/1.1 302 Found\r\nLocation: x\r\nContent-Length: 3\r\n\r\nold"});
    response.Receive(moved);
    std::string all = kSizedHead + "hello";
    for (size_t cut = 1; cut < kSizedHead.size(); ++cut) {
        ScriptedSource source({all.substr(0, cut), all.substr(cut)});
        EXPECT_TRUE(response.Receive(source)) << cut;
        EXPECT_EQ("hello", Body(response)) << cut;
        EXPECT_EQ(200, response.GetStatusCode()) << cut;
        EXPECT_TRUE(response.GetHeader(L"Location").IsNull());
        EXPECT_EQ(all, Contents(response.GetRaw())) << cut;
    }
}

TEST(HttpResponse, ReceiveRaisesForMalformedFraming) {
    const struct {
        std::string text;
        const wchar_t* message;  // nullptr: any message
    } cases[] = {
        {kChunkedHead + "5\r\nhelloXX0\r\n\r\n", L"HttpResponse::Receive()\nThe chunked body is malformed."},
        {kChunkedHead + "5;name=value\r\nhello\r\n0\r\n\r\n",
         L"HexUtils::HexStringToInteger(5;name=value) u not an hex digit."},
        {kChunkedHead + "0\r\nX-T: 1\r\n\r\n", L"HttpResponse::Receive()\nThe chunked body is malformed."},
        {kChunkedHead + "\r\n\r\n", L"HttpResponse::Receive()\nThe chunked body is malformed."},
        {kChunkedHead + "5\r\nhello\r\n  \r\n\r\n", L"HttpResponse::Receive()\nThe chunked body is malformed."},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n",
         L"HttpResponse::Receive()\nThe transfer coding cannot be decoded."},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\ncontent-length: 6\r\n\r\nhello",
         L"HttpResponse::Receive()\nThe Content-Length headers disagree."},
        {"HTTP/1.1 302 Found\r\nLocation: /a\nHost: b\r\n\r\n",
         L"HttpResponse::Receive()\nA header line holds a bare line break."},
        {"HTTP/1.1 200 OK\r\nX: " + std::string(70000, 'x'),
         L"HttpResponse::Receive()\nThe header block is too large."},
        {"HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nhello",
         L"HttpResponse::Receive()\nContent-Length -5 cannot be received."},
        {"HTTP/1.1 200 OK\r\nContent-Length: five\r\n\r\nhello",
         L"HttpResponse::Receive()\nContent-Length five cannot be received."},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\nhello", nullptr},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5x\r\n\r\nhello", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 100));
        HttpResponse response;
        ScriptedSource source({c.text});
        std::wstring message = testsupport::ThrownMessage([&] { response.Receive(source); });
        if (c.message) {
            EXPECT_EQ(c.message, message);
        } else {
            EXPECT_NE(L"<no exception>", message);
        }
    }
}

TEST(HttpResponse, BodyLimitRefusesLargerBodies) {
    for (const std::string& text : {kSizedHead + "hello", kChunkedHead + "5\r\nhello\r\n0\r\n\r\n",
                                    std::string("HTTP/1.1 200 OK\r\n\r\nhello")}) {
        HttpResponse response;
        response.SetBodyLimit(4);
        ScriptedSource source({text});
        EXPECT_NE(L"<no exception>", testsupport::ThrownMessage([&] { response.Receive(source); })) << text;
        response.SetBodyLimit(1024);
        ScriptedSource again({text});
        EXPECT_TRUE(response.Receive(again)) << text;
        EXPECT_EQ("hello", Body(response));
    }
}

}  // namespace

namespace {

// A sink that records every write, to show that the body arrives piece by piece.
class RecordingSink : public io::ByteArrayOutputStream {
public:
    void Write(const void* data, uint32_t n) override {
        writes += n > 0;
        io::ByteArrayOutputStream::Write(data, n);
    }
    int writes = 0;
};

TEST(HttpResponse, SinkTakesA200BodyAsItArrivesAndNothingElse) {
    const struct {
        const char* what;
        std::vector<std::string> pieces;
        int ending;
        bool complete;
        std::string streamed;
        int writes;  // -1: not checked
    } cases[] = {
        {"sized", {kSizedHead + "he", "l", "lo", "never read"}, 0, true, "hello", 3},
        {"sized, extra bytes", {kSizedHead + "helloEXTRA"}, 0, true, "hello", 1},
        {"sized, cut", {kSizedHead + "hel"}, -1, false, "hel", -1},
        {"chunked", {kChunkedHead + "3\r\nab", "c\r\n2\r\nde\r\n0\r\n\r\n", "never read"}, 0, true, "abcde", -1},
        {"chunked, cut", {kChunkedHead + "3\r\nabc\r\n"}, 0, false, "abc", -1},
        {"until closed", {"HTTP/1.1 200 OK\r\n\r\nab", "cd"}, 0, true, "abcd", 2},
        {"redirect", {"HTTP/1.1 302 Found\r\nLocation: /x\r\nContent-Length: 4\r\n\r\nmo", "ved"}, 0, true, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HttpResponse response;
        RecordingSink sink;
        response.SetSink(&sink);
        ScriptedSource source(c.pieces, c.ending);
        EXPECT_EQ(c.complete, response.Receive(source));
        EXPECT_EQ(c.streamed, Contents(sink));
        EXPECT_EQ(0u, response.GetBody().GetSize());  // never held
        EXPECT_LT(response.GetRaw().GetSize(), 80u);  // the header block and at most the first read
        if (c.writes >= 0) {
            EXPECT_EQ(c.writes, sink.writes);
        }
    }
}

TEST(HttpResponse, SinkIsCappedAtTheBodyLimit) {
    const std::string ten(10, 'x');
    for (const std::vector<std::string>& pieces :
         {std::vector<std::string>{"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n", ten},
          std::vector<std::string>{kChunkedHead + "6\r\nxxxxxx\r\n", "4\r\nxxxx\r\n0\r\n\r\n"},
          std::vector<std::string>{"HTTP/1.1 200 OK\r\n\r\n", ten}}) {
        HttpResponse response;
        io::ByteArrayOutputStream sink;
        response.SetSink(&sink);
        response.SetBodyLimit(9);
        ScriptedSource source(pieces);
        EXPECT_NE(L"<no exception>", testsupport::ThrownMessage([&] { response.Receive(source); })) << pieces[0];
        EXPECT_LE(sink.GetSize(), 9u) << pieces[0];  // never a byte beyond the cap
        response.SetBodyLimit(10);
        io::ByteArrayOutputStream whole;
        response.SetSink(&whole);
        ScriptedSource again(pieces);
        EXPECT_TRUE(response.Receive(again)) << pieces[0];
        EXPECT_EQ(ten, Contents(whole));
    }
}

}  // namespace
