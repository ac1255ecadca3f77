#include "net/http/HttpClient.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "io/StreamContents.h"
#include "net/UsesWinsock.h"
#include "support/ScratchDirectory.h"
#include "support/ScriptedServer.h"
#include "support/ThrownMessage.h"
#include "util/SystemError.h"

namespace {

using net::http::HttpClient;
using net::http::HttpRequest;
using net::http::HttpResponse;
using testsupport::Ascii;
using testsupport::Contents;
using testsupport::OkReply;
using testsupport::ScratchDirectory;
using testsupport::ScriptedServer;
using testsupport::ServerReply;

bool HasHeader(const std::string& request, const std::string& line) {
    return request.find("\r\n" + line + "\r\n") != std::string::npos;
}

ServerReply Redirect(const std::string& status, const std::string& location, const std::string& body = "") {
    return ScriptedServer::Reply(
        status, {"Location: " + location, "Set-Cookie: s=1", "Content-Length: " + std::to_string(body.size())}, body);
}

// The exact request the client sends: the request line, the fixed headers in code unit order with
// extra ones where they sort, and the body.
std::string Expected(const std::string& line,
                     const std::string& extra,
                     const ScriptedServer& server,
                     const std::wstring& url,
                     const std::string& body = "") {
    return line + "\r\nAccept: */*\r\nAccept-Encoding: identity\r\nConnection: Close\r\n" + extra +
           "Host: " + server.HostHeader() + "\r\nReferer: " + Ascii(url) +
           "\r\nUser-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.9.0.11) Gecko/2009060215 "
           "Firefox/3.0.11 (.NET CLR 3.5.30729)\r\n\r\n" +
           body;
}

class HttpClientTest : public ::testing::Test {
protected:
    net::UsesWinsock winsock;
    HttpClient client;
    HttpRequest request;
    HttpResponse response;
    int status = -1;

    int Send(const std::wstring& url, HttpClient::Method method = HttpClient::GET) {
        status = -1;
        return client.SendCommand(url.c_str(), method, request, response, &status);
    }
    // Gets url and returns the body written, or "failed" when the exchange fails.
    std::string Body(const std::wstring& url) {
        io::ByteArrayOutputStream out;
        return client.Get(url.c_str(), &out) ? Contents(out) : "failed:" + Contents(out);
    }
};

TEST_F(HttpClientTest, GetAndPostSendExactlyTheFixedHeaders) {
    ScriptedServer server({OkReply("hello"), OkReply("done")});
    std::wstring url = server.Url(L"/versions/index.php?name=Tarnwick");
    EXPECT_EQ("hello", Body(url));
    request.GetForm()[L"name"] = L"Tarnw\u00E9ck";  // the form goes out in UTF-8
    request.GetForm()[L"id"] = L"7";
    std::wstring form = server.Url(L"/form.php");
    EXPECT_EQ(1, Send(form, HttpClient::POST));
    EXPECT_EQ(200, status);
    EXPECT_EQ("done", Contents(response.GetBody()));
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(Expected("GET /versions/index.php?name=Tarnwick HTTP/1.1", "", server, url), requests[0]);
    EXPECT_EQ(Expected("POST /form.php HTTP/1.1",
                       "Content-Length: 19\r\nContent-Type: application/x-www-form-urlencoded\r\n", server, form,
                       "id=7&name=Tarnw\xC3\xA9"
                       "ck\r\n"),
              requests[1]);
}

TEST_F(HttpClientTest, BodiesAreFramedOverTheWire) {
    ServerReply closeDelimited{{"HTTP/1.1 200 OK\r\nServer: s\r\n\r\nfirst ", "second ", "third"}, 100};
    ServerReply held = OkReply("whole");
    held.holdOpen = true;
    // The framing rules themselves, chunks split anywhere included, are HttpResponse's; here the
    // client reads them off a socket.
    ScriptedServer server(
        {closeDelimited, ScriptedServer::Reply("HTTP/1.1 200 OK", {"Content-Length: 10"}, "hello"), held});
    std::wstring url = server.Url(L"/");
    client.SetRecvTimeOut(10000);
    EXPECT_EQ("first second third", Body(url));  // until the server closes
    EXPECT_EQ("failed:", Body(url));             // a sized body cut short
    // A failure leaves no socket behind, and a sized body ends without waiting for the server to close.
    DWORD start = GetTickCount();
    EXPECT_EQ("whole", Body(url));
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST_F(HttpClientTest, CookiesAreJoinedAndSentWithTheNextRequest) {
    ScriptedServer server(
        {ScriptedServer::Reply("HTTP/1.1 200 OK", {"Set-Cookie: a=1", "Set-Cookie: b=2", "Content-Length: 0"}, ""),
         OkReply("x"), ScriptedServer::Reply("HTTP/1.1 404 Not Found", {"Set-Cookie: c=3"}, "")});
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

TEST_F(HttpClientTest, RedirectsFollowTheLocationRules) {
    const struct {
        const char* location;  // behind the second server's "http://127.0.0.1:<port>" when toSecond
        bool toSecond;
        const wchar_t* from;
        const char* next;  // the path asked next
    } cases[] = {
        {"/", true, L"/versions/index.php?name=x", "/versions/index.php?name=x"},  // a bare origin: a mirror
        {"/other.php", true, L"/versions/index.php?name=x", "/other.php"},
        {"page2.php#part", false, L"/dir/page1.php", "/dir/page2.php"},  // the other forms: URL's tests
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        ScriptedServer second({OkReply("final")});
        std::string location = c.toSecond ? Ascii(second.Url(L"")) + c.location : c.location;
        ScriptedServer first({Redirect("HTTP/1.1 302 Found", location, "moved"), OkReply("final")});
        EXPECT_EQ(1, Send(first.Url(c.from)));
        EXPECT_EQ(200, status);
        EXPECT_EQ("final", Contents(response.GetBody()));  // the redirect's own body is dropped
        ScriptedServer& target = c.toSecond ? second : first;
        std::vector<std::string> requests = target.Requests();
        ASSERT_FALSE(requests.empty());
        const std::string& next = requests.back();
        EXPECT_EQ("GET " + std::string(c.next) + " HTTP/1.1", next.substr(0, next.find("\r\n")));
        EXPECT_TRUE(HasHeader(next, "Host: " + target.HostHeader()));
        EXPECT_TRUE(HasHeader(next, "Referer: " + Ascii(target.Url(L"")) + c.next));
        // The cookie set by the first server goes back to it alone.
        EXPECT_EQ(!c.toSecond, HasHeader(next, "Cookie: s=1"));
    }
}

TEST_F(HttpClientTest, ACookieNeverRidesAlongToAnotherHost) {
    // Two hops on the host that set the cookie, then one to another host: each request is built
    // afresh, so the header of the second hop is not carried into the third.
    ScriptedServer other({OkReply("final")});
    ScriptedServer first(
        {Redirect("HTTP/1.1 302 Found", "/again"), Redirect("HTTP/1.1 302 Found", Ascii(other.Url(L"/elsewhere")))});
    request.GetForm()[L"name"] = L"value";
    EXPECT_EQ(1, Send(first.Url(L"/start"), HttpClient::POST));
    ASSERT_EQ(2u, first.RequestCount());
    EXPECT_TRUE(HasHeader(first.Requests()[1], "Cookie: s=1"));
    ASSERT_EQ(1u, other.RequestCount());
    const std::string last = other.Requests()[0];
    EXPECT_EQ(std::string::npos, last.find("Cookie:")) << last;
    EXPECT_EQ(std::string::npos, last.find(first.HostHeader())) << last;
    EXPECT_EQ(last.size() - 12, last.find("name=value\r\n"));  // the caller's form goes to every hop
}

TEST_F(HttpClientTest, ASocketMadeAfterAFailedCreationGetsTheTimeout) {
    class LosingClient : public HttpClient {
    public:
        void LoseSocket() {
            Close();
            handle = ~uintptr_t(0);  // what a failed creation leaves
        }
    } losing;
    losing.SetRecvTimeOut(300);
    losing.LoseSocket();
    ServerReply silent;
    silent.answer = false;
    ScriptedServer server({silent});
    DWORD timeOut = 0;
    server.OnRequest([&] {
        int length = sizeof(timeOut);
        getsockopt(static_cast<SOCKET>(losing.GetHandle()), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&timeOut),
                   &length);
    });
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(0, losing.Get(server.Url(L"/x").c_str(), nullptr));
    EXPECT_EQ(300u, timeOut);
    EXPECT_LT(GetTickCount64() - start, 3000u);
}

TEST_F(HttpClientTest, GetToFileWritesTheBodyAsItArrives) {
    ScratchDirectory scratch;
    std::wstring path = scratch.File(L"big.upd");
    const std::string piece(60000, 'b');
    ServerReply chunked;
    chunked.pieces.push_back("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
    for (int i = 0; i < 4; ++i) {
        chunked.pieces.push_back("EA60\r\n" + piece + "\r\n");
    }
    chunked.pieces.push_back("0\r\n\r\n");
    chunked.pauseMs = 300;
    ScriptedServer server({Redirect("HTTP/1.1 302 Found", "/file", "moved"), chunked});
    // Midway, what arrived is on disk already.
    std::atomic<uint64_t> onDisk{0};
    std::atomic<bool> done{false};
    std::thread look([&] {
        while (!done && !onDisk) {
            Sleep(20);
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
                onDisk = data.nFileSizeLow;
            }
        }
    });
    EXPECT_EQ(1, client.GetToFile(server.Url(L"/start").c_str(), path.c_str()));
    done = true;
    look.join();
    EXPECT_GT(onDisk.load(), 0u);
    EXPECT_LT(onDisk.load(), 4u * piece.size());
    std::string written = ScratchDirectory::Read(path);
    EXPECT_EQ(4u * piece.size(), written.size());  // the redirect's body is not in the file
    EXPECT_EQ(std::string::npos, written.find_first_not_of('b'));

    client.SetBodyLimit(100000);  // a file beyond the limit fails, with no byte beyond it
    ScriptedServer again({chunked});
    EXPECT_EQ(0, client.GetToFile(again.Url(L"/file").c_str(), path.c_str()));
    EXPECT_EQ(60000u, ScratchDirectory::Read(path).size());
}

TEST_F(HttpClientTest, TransferWatchEndsASlowExchangeAndCancelsAWait) {
    net::http::TransferWatch::Limits limits;
    limits.minimumBytes = 1000;
    limits.windowMs = 500;
    net::http::TransferWatch slow(limits, [] { return static_cast<uint64_t>(GetTickCount64()); });
    ServerReply trickle;
    trickle.pieces = {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n"};
    for (int i = 0; i < 100; ++i) {
        trickle.pieces.push_back("x");
    }
    trickle.pauseMs = 50;  // well under the receive timeout: only the watch can end it
    ScriptedServer trickling({trickle});
    client.SetTransferWatch(&slow);
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(0, client.Get(trickling.Url(L"/").c_str(), nullptr));
    EXPECT_LT(GetTickCount64() - start, 2000u);
    EXPECT_EQ(net::http::TransferWatch::Verdict::TooSlow, slow.Check());

    limits.windowMs = 60000;
    net::http::TransferWatch cancelled(limits, [] { return static_cast<uint64_t>(GetTickCount64()); });
    ServerReply silent;
    silent.answer = false;
    ScriptedServer server({silent});
    client.SetTransferWatch(&cancelled);
    std::thread user([&] {
        Sleep(300);
        cancelled.Cancel();
    });
    start = GetTickCount64();
    EXPECT_EQ(0, client.Get(server.Url(L"/").c_str(), nullptr));  // the receive timeout is 5 s
    user.join();
    EXPECT_LT(GetTickCount64() - start, 1500u);
}

TEST_F(HttpClientTest, RedirectsThatLeadNowhereFail) {
    ScriptedServer other({OkReply("elsewhere")});
    const struct {
        const char* what;
        ServerReply reply;
    } cases[] = {
        {"to itself", Redirect("HTTP/1.1 301 Moved Permanently", "page.php", "body")},
        {"no Location", ScriptedServer::Reply("HTTP/1.1 302 Found", {"Content-Length: 0"}, "")},
        {"not http", Redirect("HTTP/1.1 302 Found", "https://127.0.0.1:" + std::to_string(other.Port()) + "/x")},
        {"port beyond 16 bits",
         Redirect("HTTP/1.1 302 Found", "http://127.0.0.1:" + std::to_string(other.Port() + 65536))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedServer server({c.reply, OkReply("never")});
        EXPECT_EQ("failed:", Body(server.Url(L"/dir/page.php")));
        EXPECT_EQ(1u, server.RequestCount());
    }
    EXPECT_EQ(0u, other.RequestCount());
}

TEST_F(HttpClientTest, FailedExchanges) {
    // Names under "invalid" are refused without a query, after the headers are set.
    EXPECT_EQ(0, Send(L"http://no-such-host.invalid/a b"));
    EXPECT_EQ(-1, status);  // nothing was received
    EXPECT_STREQ(L"no-such-host.invalid", request.GetHeader(L"Host").GetBuffer());
    EXPECT_STREQ(L"GET /a+b HTTP/1.1", request.GetStartLine().GetBuffer());
    EXPECT_STREQ(L"http://no-such-host.invalid/a b", request.GetHeader(L"Referer").GetBuffer());  // as passed in

    std::vector<ServerReply> replies;
    for (int i = 0; i < 12; ++i) {
        replies.push_back(Redirect("HTTP/1.1 302 Found", "p" + std::to_string(i) + ".php"));
    }
    ScriptedServer endless(replies);
    EXPECT_EQ(0, Send(endless.Url(L"/a.php")));
    EXPECT_EQ(302, status);
    EXPECT_EQ(11u, endless.RequestCount());  // the first request and ten redirects

    ScriptedServer notHttp({ScriptedServer::Reply("ICY 200 OK", {"Content-Length: 2"}, "ok")});
    EXPECT_EQ(0, Send(notHttp.Url(L"/")));  // which start lines give no status: HttpResponse's tests
    EXPECT_EQ(0, status);

    EXPECT_EQ(L"HttpClient::SendCommand()\nurl parameters is null", testsupport::ThrownMessage([&] {
                  client.SendCommand(nullptr, HttpClient::GET, request, response, nullptr);
              }));
}

TEST_F(HttpClientTest, TimeLimitBoundsTheWholeExchange) {
    ServerReply trickle;
    trickle.pieces = std::vector<std::string>(40, "H");  // a byte every 100 ms, well under the receive timeout
    trickle.pauseMs = 100;
    ScriptedServer trickling({trickle});
    testsupport::DeafListener deaf;
    client.SetRecvTimeOut(1000);
    client.SetTimeLimit(800);
    for (const std::wstring& url : {trickling.Url(L"/"), deaf.Url(L"/")}) {
        ULONGLONG start = GetTickCount64();
        EXPECT_EQ(0, client.Get(url.c_str(), nullptr));
        EXPECT_LT(GetTickCount64() - start, 1500u);
    }
}

TEST_F(HttpClientTest, SilentServerIsBoundedByTheTimeoutOnEverySocket) {
    ServerReply silent;
    silent.answer = false;
    ScriptedServer second({silent});
    ScriptedServer first({silent, Redirect("HTTP/1.1 302 Found", Ascii(second.Url(L"/")))});
    client.SetRecvTimeOut(300);
    DWORD start = GetTickCount();
    EXPECT_EQ(0, client.Get(first.Url(L"/x").c_str(), nullptr));  // the constructor's socket
    EXPECT_EQ(0, client.Get(first.Url(L"/x").c_str(), nullptr));  // a new socket, then a redirect's
    EXPECT_LT(GetTickCount() - start, 8000u);
    EXPECT_EQ(1u, second.RequestCount());
    EXPECT_EQ(0u, client.GetHandle());  // the failed exchanges closed their sockets
}

TEST_F(HttpClientTest, GetToFileCreatesTheFileBeforeAnyTraffic) {
    ScratchDirectory scratch;
    std::wstring path = scratch.Write(L"update.upd", "old contents");
    ScriptedServer server({OkReply("new"), ScriptedServer::Reply("HTTP/1.1 500 Error", {"Content-Length: 1"}, "x")});
    bool emptyAtRequest = false;
    server.OnRequest([&] {
        if (server.RequestCount() == 1) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            emptyAtRequest = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
                             data.nFileSizeLow == 0 && data.nFileSizeHigh == 0;
        }
    });
    EXPECT_EQ(1, client.GetToFile(server.Url(L"/u").c_str(), path.c_str()));
    EXPECT_TRUE(emptyAtRequest);
    EXPECT_EQ("new", ScratchDirectory::Read(path));
    std::wstring failed = scratch.File(L"failed.upd");
    EXPECT_EQ(0, client.GetToFile(server.Url(L"/u").c_str(), failed.c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(failed.c_str()));  // stays, empty
    EXPECT_EQ("", ScratchDirectory::Read(failed));

    std::wstring missing = scratch.File(L"missing\\file.upd");  // raises before any traffic
    std::wstring message =
        testsupport::ThrownMessage([&] { client.GetToFile(L"http://127.0.0.1:1/never", missing.c_str()); });
    EXPECT_EQ(0u, message.find(L"File::CreateNew()\nFile : " + missing + L"\n")) << message;
}

// A disk that refuses the body (Wine's Z: drive reaches the device that is always full): the
// download fails, and the system's text for it is handed back, since the exchange swallows the
// write's exception; a download that succeeds hands back none.
TEST_F(HttpClientTest, GetToFileTellsWhyTheFileCouldNotBeWritten) {
    ScriptedServer server({OkReply("body"), OkReply("body")});
    String failure = L"stale";
    EXPECT_EQ(0, client.GetToFile(server.Url(L"/u").c_str(), L"Z:\\dev\\full", &failure));
    SetLastError(ERROR_DISK_FULL);
    EXPECT_STREQ(GetSystemErrorText(), failure.GetBuffer());
    ScratchDirectory scratch;
    EXPECT_EQ(1, client.GetToFile(server.Url(L"/u").c_str(), scratch.File(L"saved.upd").c_str(), &failure));
    EXPECT_TRUE(failure.IsEmpty());
}

}  // namespace
