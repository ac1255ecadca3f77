#include "support/ScriptedServer.h"

#include <ws2tcpip.h>

#include <cstdlib>

namespace testsupport {

namespace {

// Waits until the socket can be read or the time is up.
bool Readable(SOCKET socket, DWORD timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval timeout{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
    return select(0, &set, nullptr, nullptr, &timeout) == 1;
}

size_t DeclaredLength(const std::string& head) {
    size_t at = head.find("Content-Length: ");
    return at == std::string::npos ? 0 : std::strtoul(head.c_str() + at + 16, nullptr, 10);
}

// A listening socket on 127.0.0.1, at a port of the system's choice.
SOCKET ListenOnLoopback(int backlog, int& port, sockaddr_in& address) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    listen(listener, backlog);
    int length = sizeof(address);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return listener;
}

}  // namespace

ScriptedServer::ScriptedServer(std::vector<ServerReply> scripted) : replies(std::move(scripted)) {
    WSAStartup(MAKEWORD(2, 2), &wsa);
    sockaddr_in address;
    listener = ListenOnLoopback(8, port, address);
    thread = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
    stopping = true;
    thread.join();
    closesocket(listener);
    WSACleanup();
}

int ScriptedServer::UnusedPort() {
    return ScriptedServer({}).Port();  // closed again at the end of this statement
}

std::vector<std::string> ScriptedServer::Requests() {
    std::lock_guard<std::mutex> guard(lock);
    return requests;
}

ServerReply ScriptedServer::Reply(const std::string& statusLine,
                                  const std::vector<std::string>& headers,
                                  const std::string& body) {
    std::string text = statusLine + "\r\n";
    for (const std::string& header : headers) {
        text += header + "\r\n";
    }
    return ServerReply{{text + "\r\n" + body}};
}

bool ScriptedServer::Accept(SOCKET& client) {
    while (!stopping) {
        if (Readable(listener, 50)) {
            client = accept(listener, nullptr, nullptr);
            return client != INVALID_SOCKET;
        }
    }
    return false;
}

// The head and the body it declares, and then whatever else arrives within 100 ms: a form is
// followed by a line end beyond its length, and closing with unread bytes would reset the connection.
std::string ScriptedServer::ReadRequest(SOCKET client) {
    std::string request;
    char buffer[4096];
    size_t wanted = std::string::npos;
    while (!stopping) {
        bool complete = request.size() >= wanted;
        if (!Readable(client, complete ? 100 : 50)) {
            if (complete) {
                break;
            }
            continue;
        }
        int n = recv(client, buffer, sizeof(buffer), 0);
        if (n <= 0) {
            break;
        }
        request.append(buffer, static_cast<size_t>(n));
        size_t end = request.find("\r\n\r\n");
        if (end != std::string::npos && wanted == std::string::npos) {
            wanted = end + 4 + DeclaredLength(request.substr(0, end));
        }
    }
    return request;
}

void ScriptedServer::SendReply(SOCKET client, const ServerReply& reply) {
    for (size_t i = 0; i < reply.pieces.size() && !stopping; ++i) {
        if (i > 0) {
            Sleep(reply.pauseMs);
        }
        // A blocking send returns once all is sent; less means the client went away.
        const std::string& piece = reply.pieces[i];
        if (send(client, piece.data(), static_cast<int>(piece.size()), 0) != static_cast<int>(piece.size())) {
            return;
        }
    }
}

// Waits until the client closes its end (or the time is up or the server stops).
void ScriptedServer::WaitForClose(SOCKET client, DWORD limitMs) {
    char buffer[1024];
    for (DWORD waited = 0; !stopping && waited < limitMs; waited += 50) {
        if (Readable(client, 50) && recv(client, buffer, sizeof(buffer), 0) <= 0) {
            return;
        }
    }
}

void ScriptedServer::Serve() {
    for (const ServerReply& reply : replies) {
        SOCKET client = INVALID_SOCKET;
        if (!Accept(client)) {
            return;
        }
        std::string request = ReadRequest(client);
        {
            std::lock_guard<std::mutex> guard(lock);
            requests.push_back(request);
        }
        if (onRequest) {
            onRequest();
        }
        if (reply.answer) {
            SendReply(client, reply);
            if (!reply.holdOpen) {
                shutdown(client, SD_SEND);
            }
        }
        // Let the client close first, so that our close never resets what it still reads.
        WaitForClose(client, reply.answer && !reply.holdOpen ? 5000 : 60000);
        closesocket(client);
    }
}

DeafListener::DeafListener() {
    WSAStartup(MAKEWORD(2, 2), &wsa);
    sockaddr_in address;
    listener = ListenOnLoopback(1, port, address);
    // Connections that are never accepted fill the backlog; later attempts get no answer.
    for (int i = 0; i < 8; ++i) {
        SOCKET filler = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        u_long nonBlocking = 1;
        ioctlsocket(filler, FIONBIO, &nonBlocking);
        connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        fillers.push_back(filler);
    }
    Sleep(200);
}

DeafListener::~DeafListener() {
    for (SOCKET filler : fillers) {
        closesocket(filler);
    }
    closesocket(listener);
    WSACleanup();
}

}  // namespace testsupport
