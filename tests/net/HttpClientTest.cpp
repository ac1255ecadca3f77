#include "net/http/HttpClient.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ScriptedServer.h"
#include "io/ByteArrayOutputStream.h"
#include "net/UsesWinsock.h"
#include "support/ScratchDirectory.h"
#include "util/Exception.h"

namespace {

using net::http::HttpClient;
using net::http::HttpRequest;
using net::http::HttpResponse;
using testsupport::ScriptedServer;
using testsupport::ServerReply;

const char kUserAgent[] =
    "Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.9.0.11) Gecko/2009060215 Firefox/3.0.11 (.NET CLR "
    "3.5.30729)";

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string Contents(io::ByteArrayOutputStream& stream) {
    return stream.GetData() ? std::string(stream.GetData(), stream.GetSize()) : std::string();
}

// The request line of a recorded request.
std::string FirstLine(const std::string& request) { return request.substr(0, request.find("\r\n")); }

bool HasHeader(const std::string& request, const std::string& line) {
    return request.find("\r\n" + line + "\r\n") != std::string::npos;
}

ServerReply Ok(const std::string& body) {
    return ScriptedServer::Reply("HTTP/1.1 200 OK", {"Content-Length: " + std::to_string(body.size())}, body);
}

ServerReply Redirect(const std::string& status, const std::string& location, const std::string& body = "") {
    return ScriptedServer::Reply(status, {"Location: " + location, "Content-Length: " + std::to_string(body.size())},
                                 body);
}

class HttpClientTest : public ::testing::Test {
protected:
    net::UsesWinsock winsock;
};

TEST_F(HttpClientTest, GetSendsExactlyTheFixedHeadersAndReturnsTheBody) {
    ScriptedServer server({Ok("hello")});
    std::wstring url = server.Url(L"/versions/index.php?name=Tarnwick");
    HttpClient client;
    io::ByteArrayOutputStream out;
    EXPECT_EQ(1, client.Get(url.c_str(), &out));
    EXPECT_EQ("hello", Contents(out));
    ASSERT_EQ(1u, server.RequestCount());
    EXPECT_EQ("GET /versions/index.php?name=Tarnwick HTTP/1.1\r\n"
              "Accept: */*\r\n"
              "Accept-Encoding: identity\r\n"
              "Connection: Close\r\n"
              "Host: " + server.HostHeader() + "\r\n"
              "Referer: " + Narrow(url) + "\r\n"
              "User-Agent: " + kUserAgent + "\r\n"
              "\r\n",
              server.Requests()[0]);
}

TEST_F(HttpClientTest, PostSendsTheFormAfterTheHeaders) {
    ScriptedServer server({Ok("done")});
    std::wstring url = server.Url(L"/form.php");
    HttpClient client;
    HttpRequest request;
    HttpResponse response;
    request.GetForm()[L"name"] = L"Tarnwick";
    request.GetForm()[L"id"] = L"7";
    int status = 0;
    EXPECT_EQ(1, client.SendCommand(url.c_str(), HttpClient::POST, request, response, &status));
    EXPECT_EQ(200, status);
    EXPECT_EQ("done", Contents(response.GetBody()));
    ASSERT_EQ(1u, server.RequestCount());
    EXPECT_EQ("POST /form.php HTTP/1.1\r\n"
              "Accept: */*\r\n"
              "Accept-Encoding: identity\r\n"
              "Connection: Close\r\n"
              "Content-Length: 18\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Host: " + server.HostHeader() + "\r\n"
              "Referer: " + Narrow(url) + "\r\n"
              "User-Agent: " + kUserAgent + "\r\n"
              "\r\n"
              "id=7&name=Tarnwick\r\n",
              server.Requests()[0]);
}

TEST_F(HttpClientTest, HostOfPortEightyHasNoPort) {
    // Nothing needs to answer: the headers are set before the connection is tried.
    HttpClient client;
    client.SetRecvTimeOut(500);
    HttpRequest request;
    HttpResponse response;
    int status = -1;
    client.SendCommand(L"http://127.0.0.1/a b", HttpClient::GET, request, response, &status);
    EXPECT_STREQ(L"127.0.0.1", request.GetHeader(L"Host").GetBuffer());
    EXPECT_STREQ(L"GET /a+b HTTP/1.1", request.GetStartLine().GetBuffer());
    EXPECT_STREQ(L"http://127.0.0.1/a b", request.GetHeader(L"Referer").GetBuffer());  // as passed in
}

TEST_F(HttpClientTest, SizedReplyEndsWithoutWaitingForTheServerToClose) {
    ServerReply reply = Ok("hello");
    reply.holdOpen = true;
    ScriptedServer server({reply});
    HttpClient client;
    client.SetRecvTimeOut(10000);
    io::ByteArrayOutputStream out;
    DWORD start = GetTickCount();
    EXPECT_EQ(1, client.Get(server.Url(L"/").c_str(), &out));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ("hello", Contents(out));
}

TEST_F(HttpClientTest, BodyWithoutLengthEndsWhenTheServerCloses) {
    ServerReply pieces;
    pieces.pieces = {"HTTP/1.1 200 OK\r\nServer: s\r\n\r\nfirst ", "second ", "third"};
    pieces.pauseMs = 100;
    ScriptedServer server({ScriptedServer::Reply("HTTP/1.1 200 OK", {"Server: s"}, ""), pieces});
    HttpClient client;
    io::ByteArrayOutputStream headersOnly;
    EXPECT_EQ(1, client.Get(server.Url(L"/").c_str(), &headersOnly));
    EXPECT_EQ(0u, headersOnly.GetSize());
    io::ByteArrayOutputStream out;
    EXPECT_EQ(1, client.Get(server.Url(L"/").c_str(), &out));
    EXPECT_EQ("first second third", Contents(out));
}

TEST_F(HttpClientTest, ChunkedBodyIsDecodedAndExtensionsFail) {
    ServerReply hello;
    hello.pieces = {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel", "lo\r\n0\r\n", "\r\n"};
    hello.pauseMs = 50;
    ScriptedServer server({hello, ScriptedServer::Reply("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"},
                                                        "5;name=value\r\nhello\r\n0\r\n\r\n")});
    HttpClient client;
    io::ByteArrayOutputStream out;
    EXPECT_EQ(1, client.Get(server.Url(L"/").c_str(), &out));
    EXPECT_EQ("hello", Contents(out));
    io::ByteArrayOutputStream extension;
    EXPECT_EQ(0, client.Get(server.Url(L"/").c_str(), &extension));
    EXPECT_EQ(0u, extension.GetSize());
}

TEST_F(HttpClientTest, TruncatedOkBodiesFail) {
    ServerReply sized = ScriptedServer::Reply("HTTP/1.1 200 OK", {"Content-Length: 10"}, "hello");
    ServerReply chunked = ScriptedServer::Reply("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}, "5\r\nhello\r\n");
    ScriptedServer server({sized, chunked, Ok("whole")});
    HttpClient client;
    io::ByteArrayOutputStream out;
    EXPECT_EQ(0, client.Get(server.Url(L"/").c_str(), &out));
    EXPECT_EQ(0, client.Get(server.Url(L"/").c_str(), &out));
    EXPECT_EQ(0u, out.GetSize());
    EXPECT_EQ(1, client.Get(server.Url(L"/").c_str(), &out));  // a failure leaves no socket behind
    EXPECT_EQ("whole", Contents(out));
}

TEST_F(HttpClientTest, CookiesAreJoinedAndSentWithTheNextRequest) {
    ScriptedServer server({ScriptedServer::Reply("HTTP/1.1 200 OK", {"Set-Cookie: a=1", "Set-Cookie: b=2",
                                                                     "Content-Length: 0"}, ""),
                           Ok("x"), ScriptedServer::Reply("HTTP/1.1 404 Not Found", {"Set-Cookie: c=3"}, "")});
    HttpClient client;
    EXPECT_EQ(1, client.Get(server.Url(L"/").c_str(), nullptr));
    EXPECT_STREQ(L"a=1; b=2", client.GetCookie().GetBuffer());
    EXPECT_EQ(1, client.Get(server.Url(L"/").c_str(), nullptr));
    EXPECT_EQ(0, client.Get(server.Url(L"/").c_str(), nullptr));
    EXPECT_STREQ(L"c=3", client.GetCookie().GetBuffer());  // any response may set it
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ(std::string::npos, requests[0].find("Cookie:"));
    EXPECT_TRUE(HasHeader(requests[1], "Cookie: a=1; b=2"));
}

TEST_F(HttpClientTest, RedirectToAnotherServerAsksTheSamePath) {
    ScriptedServer second({Ok("final")});
    ScriptedServer first({ScriptedServer::Reply(
        "HTTP/1.1 302 Found",
        {"Location: " + Narrow(second.Url(L"/")), "Set-Cookie: s=1", "Content-Length: 5"}, "moved")});
    HttpClient client;
    io::ByteArrayOutputStream out;
    EXPECT_EQ(1, client.Get(first.Url(L"/versions/index.php?name=x").c_str(), &out));
    EXPECT_EQ("final", Contents(out));  // the redirect's own body is dropped
    ASSERT_EQ(1u, second.RequestCount());
    std::string request = second.Requests()[0];
    EXPECT_EQ("GET /versions/index.php?name=x HTTP/1.1", FirstLine(request));
    EXPECT_TRUE(HasHeader(request, "Host: " + second.HostHeader()));
    EXPECT_TRUE(HasHeader(request, "Referer: " + Narrow(second.Url(L"/versions/index.php?name=x"))));
    EXPECT_TRUE(HasHeader(request, "Cookie: s=1"));
}

TEST_F(HttpClientTest, RedirectWithAPathPutsTheOldPathBehindIt) {
    ScriptedServer second({Ok("x")});
    ScriptedServer first({Redirect("HTTP/1.1 301 Moved Permanently", Narrow(second.Url(L"/other.php")))});
    HttpClient client;
    EXPECT_EQ(1, client.Get(first.Url(L"/versions/index.php?name=x").c_str(), nullptr));
    ASSERT_EQ(1u, second.RequestCount());
    EXPECT_EQ("GET /other.php/versions/index.php?name=x HTTP/1.1", FirstLine(second.Requests()[0]));
}

TEST_F(HttpClientTest, RedirectToANameReplacesTheLastSegment) {
    ScriptedServer server({Redirect("HTTP/1.1 302 Found", "page2.php"), Ok("two")});
    HttpClient client;
    io::ByteArrayOutputStream out;
    EXPECT_EQ(1, client.Get(server.Url(L"/dir/page1.php").c_str(), &out));
    EXPECT_EQ("two", Contents(out));
    ASSERT_EQ(2u, server.RequestCount());
    EXPECT_EQ("GET /dir/page2.php HTTP/1.1", FirstLine(server.Requests()[1]));
}

TEST_F(HttpClientTest, RedirectToAPathWithoutSchemeFails) {
    ScriptedServer server({Redirect("HTTP/1.1 302 Found", "/other.php")});
    HttpClient client;
    HttpRequest request;
    HttpResponse response;
    int status = 0;
    EXPECT_EQ(0, client.SendCommand(server.Url(L"/a").c_str(), HttpClient::GET, request, response, &status));
    EXPECT_EQ(302, status);
    EXPECT_EQ(1u, server.RequestCount());
}

TEST_F(HttpClientTest, RedirectToTheSameUrlEndsWithSuccessAndNothingWritten) {
    ScriptedServer server({Redirect("HTTP/1.1 301 Moved Permanently", "page.php", "body")});
    std::wstring url = server.Url(L"/dir/page.php");
    HttpClient client;
    HttpRequest request;
    HttpResponse response;
    int status = 0;
    EXPECT_EQ(1, client.SendCommand(url.c_str(), HttpClient::GET, request, response, &status));
    EXPECT_EQ(301, status);
    ScriptedServer again({Redirect("HTTP/1.1 301 Moved Permanently", "page.php", "body")});
    io::ByteArrayOutputStream out;
    EXPECT_EQ(1, client.Get(again.Url(L"/dir/page.php").c_str(), &out));
    EXPECT_EQ(0u, out.GetSize());
}

TEST_F(HttpClientTest, EndlessRedirectsStopAfterTenHops) {
    std::vector<ServerReply> replies;
    for (int i = 0; i < 12; ++i) {
        replies.push_back(Redirect("HTTP/1.1 302 Found", i % 2 ? "a.php" : "b.php"));
    }
    ScriptedServer server(replies);
    HttpClient client;
    HttpRequest request;
    HttpResponse response;
    int status = 0;
    EXPECT_EQ(0, client.SendCommand(server.Url(L"/a.php").c_str(), HttpClient::GET, request, response, &status));
    EXPECT_EQ(302, status);
    EXPECT_EQ(11u, server.RequestCount());  // the first request and ten redirects
}

TEST_F(HttpClientTest, StatusLineWithoutReasonFails) {
    ScriptedServer server({ScriptedServer::Reply("HTTP/1.1 200", {"Content-Length: 2"}, "ok")});
    HttpClient client;
    HttpRequest request;
    HttpResponse response;
    int status = -1;
    EXPECT_EQ(0, client.SendCommand(server.Url(L"/").c_str(), HttpClient::GET, request, response, &status));
    EXPECT_EQ(0, status);
}

TEST_F(HttpClientTest, SilentServerIsBoundedByTheTimeoutOnEverySocket) {
    ServerReply silent;
    silent.answer = false;
    ScriptedServer second({silent});
    ScriptedServer first({silent, Redirect("HTTP/1.1 302 Found", Narrow(second.Url(L"/")))});
    HttpClient client;
    client.SetRecvTimeOut(300);
    DWORD start = GetTickCount();
    EXPECT_EQ(0, client.Get(first.Url(L"/x").c_str(), nullptr));  // the constructor's socket
    EXPECT_EQ(0, client.Get(first.Url(L"/x").c_str(), nullptr));  // a new socket, then a redirect's
    EXPECT_LT(GetTickCount() - start, 8000u);
    EXPECT_EQ(1u, second.RequestCount());
    EXPECT_EQ(0u, client.GetHandle());  // the failed exchanges closed their sockets
}

TEST_F(HttpClientTest, UnresolvableHostFailsTheExchange) {
    HttpClient client;
    HttpRequest request;
    HttpResponse response;
    int status = -1;
    EXPECT_EQ(0, client.SendCommand(L"http://no-such-host.invalid/x", HttpClient::GET, request, response, &status));
    EXPECT_EQ(-1, status);  // nothing was received
}

TEST_F(HttpClientTest, NullUrlRaises) {
    HttpClient client;
    HttpRequest request;
    HttpResponse response;
    try {
        client.SendCommand(nullptr, HttpClient::GET, request, response, nullptr);
        FAIL() << "no exception";
    } catch (Exception* e) {
        EXPECT_STREQ(L"HttpClient::SendCommand()\nurl parameters is null", e->GetMessageText().GetBuffer());
        delete e;
    }
}

TEST_F(HttpClientTest, GetToFileCreatesTheFileBeforeAnyTraffic) {
    testsupport::ScratchDirectory scratch;
    std::wstring path = scratch.Write(L"update.upd", "old contents");
    ScriptedServer server({Ok("new"), ScriptedServer::Reply("HTTP/1.1 500 Error", {"Content-Length: 1"}, "x")});
    bool emptyAtRequest = false;
    server.OnRequest([&] {
        if (server.RequestCount() == 1) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            emptyAtRequest = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
                             data.nFileSizeLow == 0 && data.nFileSizeHigh == 0;
        }
    });
    HttpClient client;
    EXPECT_EQ(1, client.GetToFile(server.Url(L"/u").c_str(), path.c_str()));
    EXPECT_TRUE(emptyAtRequest);
    EXPECT_EQ("new", testsupport::ScratchDirectory::Read(path));
    std::wstring failed = scratch.File(L"failed.upd");
    EXPECT_EQ(0, client.GetToFile(server.Url(L"/u").c_str(), failed.c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(failed.c_str()));  // stays, empty
    EXPECT_EQ("", testsupport::ScratchDirectory::Read(failed));
}

TEST_F(HttpClientTest, GetToFileInAMissingFolderRaisesBeforeAnyTraffic) {
    testsupport::ScratchDirectory scratch;
    std::wstring path = scratch.File(L"missing\\file.upd");
    HttpClient client;
    try {
        client.GetToFile(L"http://127.0.0.1:1/never", path.c_str());
        FAIL() << "no exception";
    } catch (Exception* e) {
        std::wstring message = e->GetMessageText().GetBuffer();
        EXPECT_EQ(0u, message.find(L"File::CreateNew()\nFile : " + path + L"\n")) << message;
        delete e;
    }
}

}  // namespace
