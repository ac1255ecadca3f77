#include "net/http/HttpResponse.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/http/ScriptedSource.h"
#include "util/Exception.h"

namespace {

using net::http::HttpResponse;
using testsupport::ScriptedSource;

std::string Body(HttpResponse& response) {
    io::ByteArrayOutputStream& body = response.GetBody();
    return body.GetData() ? std::string(body.GetData(), body.GetSize()) : std::string();
}

// Receives and reports the exception's message instead of raising it.
std::wstring ReceiveFailure(HttpResponse& response, ScriptedSource& source) {
    try {
        response.Receive(source);
    } catch (Exception* e) {
        std::wstring message = e->GetMessageText().GetBuffer();
        delete e;
        return message;
    }
    return L"(nothing raised)";
}

const char kSizedHead[] = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";
const char kChunkedHead[] = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

TEST(HttpResponseParseHeaders, StartLineHeadersAndJoinedCookies) {
    HttpResponse response;
    response.ParseHeaders(
        L"HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nX-Name:value\r\nno colon here\r\n\r\n"
        L"set-cookie: b=2\r\nX-Twice: 1\r\nX-Twice: 2\r\nX-Trim: \t v \t\r\nX-Cut: never ended");
    EXPECT_STREQ(L"HTTP/1.1 200 OK", response.GetStartLine().GetBuffer());
    EXPECT_STREQ(L"a=1; b=2", response.GetHeader(L"Set-Cookie").GetBuffer());
    EXPECT_TRUE(response.GetHeader(L"set-cookie").IsNull());
    EXPECT_STREQ(L"value", response.GetHeader(L"X-Name").GetBuffer());  // no blank after the colon
    EXPECT_STREQ(L"2", response.GetHeader(L"X-Twice").GetBuffer());
    EXPECT_STREQ(L"v", response.GetHeader(L"X-Trim").GetBuffer());
    EXPECT_TRUE(response.GetHeader(L"X-Cut").IsNull());  // a last piece without CR LF
    EXPECT_EQ(4u, response.GetHeaders().size());
}

TEST(HttpResponseStatus, NumberAfterTheFirstBlankWhenThereAreThreeParts) {
    HttpResponse response;
    const struct {
        const wchar_t* line;
        int status;
    } cases[] = {{L"HTTP/1.1 200 OK", 200},  {L"HTTP/1.1 302 Moved Temporarily", 302},
                 {L"HTTP/1.1 200", 0},       {L"HTTP/1.1  200 OK", 0},
                 {L"", 0},                   {L"HTTP/1.0 404x Not Found", 404}};
    for (const auto& c : cases) {
        response.SetStartLine(c.line);
        EXPECT_EQ(c.status, response.GetStatusCode()) << c.line;
    }
}

TEST(HttpResponseReceive, SizedBodyStopsAfterTheReadThatCompletesIt) {
    HttpResponse response;
    ScriptedSource source({std::string(kSizedHead) + "hello", "never read"});
    EXPECT_TRUE(response.Receive(source));
    EXPECT_EQ(1, source.Reads());
    EXPECT_EQ("hello", Body(response));
    EXPECT_STREQ(L"5", response.GetHeader(L"Content-Length").GetBuffer());
    EXPECT_EQ(200, response.GetStatusCode());
}

TEST(HttpResponseReceive, HeaderEndSplitAcrossReads) {
    for (size_t cut = 1; cut < sizeof(kSizedHead) - 1; ++cut) {
        std::string all = std::string(kSizedHead) + "hello";
        HttpResponse response;
        ScriptedSource source({all.substr(0, cut), all.substr(cut)});
        EXPECT_TRUE(response.Receive(source)) << cut;
        EXPECT_EQ("hello", Body(response)) << cut;
        EXPECT_EQ(all.size(), response.GetRaw().GetSize());
    }
}

TEST(HttpResponseReceive, SizedBodyCutShortIsIncomplete) {
    HttpResponse response;
    ScriptedSource closed({std::string(kSizedHead) + "hel"}, 0);
    EXPECT_FALSE(response.Receive(closed));
    EXPECT_EQ("hel", Body(response));
    ScriptedSource timedOut({std::string(kSizedHead) + "hel"}, -1);
    EXPECT_FALSE(response.Receive(timedOut));
}

TEST(HttpResponseReceive, BytesBeyondTheDeclaredLengthAreNotBody) {
    HttpResponse response;
    ScriptedSource source({std::string(kSizedHead) + "helloEXTRA"});
    EXPECT_TRUE(response.Receive(source));
    EXPECT_EQ("hello", Body(response));
}

TEST(HttpResponseReceive, ZeroLengthEndsAtTheHeaders) {
    HttpResponse response;
    ScriptedSource source({"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", "x"});
    EXPECT_TRUE(response.Receive(source));
    EXPECT_EQ(1, source.Reads());
    EXPECT_EQ("", Body(response));
}

TEST(HttpResponseReceive, WithoutLengthTheBodyEndsWhenTheServerCloses) {
    HttpResponse headersOnly;
    ScriptedSource empty({"HTTP/1.1 200 OK\r\nServer: x\r\n\r\n"});
    EXPECT_TRUE(headersOnly.Receive(empty));
    EXPECT_EQ("", Body(headersOnly));

    HttpResponse response;
    ScriptedSource source({"HTTP/1.1 200 OK\r\ncontent-length: 2\r\n\r\nab", "cd", "ef"});
    EXPECT_TRUE(response.Receive(source));
    EXPECT_EQ("abcdef", Body(response));  // a lower-case name is not Content-Length
    EXPECT_EQ(4, source.Reads());

    HttpResponse failed;
    ScriptedSource timedOut({"HTTP/1.1 200 OK\r\n\r\nab", "cd"}, -1);
    EXPECT_FALSE(failed.Receive(timedOut));
    EXPECT_EQ("abcd", Body(failed));
}

TEST(HttpResponseReceive, ChunkedHello) {
    HttpResponse response;
    ScriptedSource source({std::string(kChunkedHead) + "5\r\nhello\r\n0\r\n\r\n", "never read"});
    EXPECT_TRUE(response.Receive(source));
    EXPECT_EQ(1, source.Reads());
    EXPECT_EQ("hello", Body(response));
}

TEST(HttpResponseReceive, ChunkedBodyArrivingByteByByte) {
    std::string all = std::string(kChunkedHead) + "3\r\nabc\r\n00A\r\n0123456789\r\n0\r\n\r\n";
    std::vector<std::string> pieces;
    for (char c : all) {
        pieces.push_back(std::string(1, c));
    }
    HttpResponse response;
    ScriptedSource source(pieces, -1);
    EXPECT_TRUE(response.Receive(source));
    EXPECT_EQ("abc0123456789", Body(response));
    EXPECT_EQ(static_cast<int>(all.size()), source.Reads());
}

TEST(HttpResponseReceive, ChunkDataEndingLikeTheLastChunkDoesNotEndTheBody) {
    HttpResponse response;
    ScriptedSource cut({std::string(kChunkedHead) + "7\r\nab0\r\n\r\n"}, -1);
    EXPECT_FALSE(response.Receive(cut));

    ScriptedSource whole({std::string(kChunkedHead) + "7\r\nab0\r\n\r\n", "\r\n0\r\n\r\n"});
    EXPECT_TRUE(response.Receive(whole));
    EXPECT_EQ("ab0\r\n\r\n", Body(response));
}

TEST(HttpResponseReceive, ChunkLargerThanWhatArrivedIsIncomplete) {
    HttpResponse response;
    ScriptedSource source({std::string(kChunkedHead) + "100\r\nshort"}, 0);
    EXPECT_FALSE(response.Receive(source));
    EXPECT_EQ("short", Body(response));
}

TEST(HttpResponseReceive, MalformedChunkedBodiesRaise) {
    HttpResponse response;
    ScriptedSource noLineEnd({std::string(kChunkedHead) + "5\r\nhelloXX0\r\n\r\n"});
    EXPECT_EQ(L"HttpResponse::Receive()\nThe chunked body is malformed.", ReceiveFailure(response, noLineEnd));
    ScriptedSource extension({std::string(kChunkedHead) + "5;name=value\r\nhello\r\n0\r\n\r\n"});
    EXPECT_EQ(L"HexUtils::HexStringToInteger(5;name=value) u not an hex digit.", ReceiveFailure(response, extension));
    ScriptedSource trailer({std::string(kChunkedHead) + "0\r\nX-T: 1\r\n\r\n"});
    EXPECT_EQ(L"HttpResponse::Receive()\nThe chunked body is malformed.", ReceiveFailure(response, trailer));
}

TEST(HttpResponseReceive, ImpossibleContentLengthRaises) {
    HttpResponse response;
    ScriptedSource negative({"HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nhello"});
    EXPECT_EQ(L"HttpResponse::Receive()\nContent-Length -5 cannot be received.", ReceiveFailure(response, negative));
    ScriptedSource huge({"HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\nhello"});
    EXPECT_NE(L"(nothing raised)", ReceiveFailure(response, huge));
    ScriptedSource words({"HTTP/1.1 200 OK\r\nContent-Length: five\r\n\r\nhello"});
    EXPECT_EQ(L"HttpResponse::Receive()\nContent-Length five cannot be received.", ReceiveFailure(response, words));
    ScriptedSource trailing({"HTTP/1.1 200 OK\r\nContent-Length: 5x\r\n\r\nhello"});
    EXPECT_NE(L"(nothing raised)", ReceiveFailure(response, trailing));
}

TEST(HttpResponseReceive, WithoutHeaderEndEverythingIsBody) {
    HttpResponse response;
    ScriptedSource source({"garbage\r\n", "more"});
    EXPECT_FALSE(response.Receive(source));
    EXPECT_EQ("garbage\r\nmore", Body(response));
    EXPECT_EQ(0, response.GetStatusCode());
}

TEST(HttpResponseReceive, ReplacesWhatTheObjectHeld) {
    HttpResponse response;
    ScriptedSource first({"HTTP/1.1 302 Found\r\nLocation: x\r\nContent-Length: 3\r\n\r\nold"});
    response.Receive(first);
    ScriptedSource second({std::string(kSizedHead) + "hello"});
    EXPECT_TRUE(response.Receive(second));
    EXPECT_EQ("hello", Body(response));
    EXPECT_TRUE(response.GetHeader(L"Location").IsNull());
    EXPECT_EQ(std::string(kSizedHead) + "hello", std::string(response.GetRaw().GetData(), response.GetRaw().GetSize()));
}

}  // namespace
