#pragma once

#include <winsock2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// One scripted exchange: the pieces of the reply, sent one after the other.
struct ServerReply {
    std::vector<std::string> pieces;
    DWORD pauseMs = 0;      // before every piece but the first
    bool answer = true;     // false: read the request and then stay silent
    bool holdOpen = false;  // after the reply, wait for the client to close first
};

// A small HTTP server on 127.0.0.1 (a port of the system's choice) for the tests: it serves one
// connection per scripted reply, in order, on a thread of its own, and records every request's
// bytes. It never talks to any other address.
class ScriptedServer {
public:
    explicit ScriptedServer(std::vector<ServerReply> replies);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int Port() const { return port; }
    // "http://127.0.0.1:<port>" followed by path.
    std::wstring Url(const std::wstring& path) const { return L"http://127.0.0.1:" + std::to_wstring(port) + path; }
    // A port that the system handed out and took back: connections to it are refused.
    static int UnusedPort();
    std::string HostHeader() const { return "127.0.0.1:" + std::to_string(port); }
    // Called on the server's thread when a request has arrived, before the reply.
    void OnRequest(std::function<void()> callback) { onRequest = std::move(callback); }

    // The requests received so far, in order.
    std::vector<std::string> Requests();
    size_t RequestCount() { return Requests().size(); }

    // A reply with a status line, headers (each "Name: value") and a body, as one piece.
    static ServerReply Reply(const std::string& statusLine,
                             const std::vector<std::string>& headers,
                             const std::string& body);

private:
    void Serve();
    bool Accept(SOCKET& client);
    std::string ReadRequest(SOCKET client);
    void SendReply(SOCKET client, const ServerReply& reply);
    void WaitForClose(SOCKET client, DWORD limitMs);

    WSADATA wsa;
    SOCKET listener = INVALID_SOCKET;
    int port = 0;
    std::vector<ServerReply> replies;
    std::function<void()> onRequest;
    std::mutex lock;
    std::vector<std::string> requests;
    std::atomic<bool> stopping{false};
    std::thread thread;
};

// A listening socket on 127.0.0.1 whose backlog is full and which never accepts: a connect to
// it is neither accepted nor refused, like one to an address that never answers.
class DeafListener {
public:
    DeafListener();
    ~DeafListener();
    DeafListener(const DeafListener&) = delete;
    DeafListener& operator=(const DeafListener&) = delete;

    std::wstring Url(const std::wstring& path) const { return L"http://127.0.0.1:" + std::to_wstring(port) + path; }

private:
    WSADATA wsa;
    SOCKET listener = INVALID_SOCKET;
    std::vector<SOCKET> fillers;
    int port = 0;
};

// A complete 200 reply with this body.
inline ServerReply OkReply(const std::string& body) {
    return ScriptedServer::Reply("HTTP/1.1 200 OK", {"Content-Length: " + std::to_string(body.size())}, body);
}

// ASCII text (hexadecimal digits, URLs) as bytes.
inline std::string Ascii(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

}  // namespace testsupport
