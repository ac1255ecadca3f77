#include "BenchServer.h"

#include <cstdio>
#include <string>

namespace {

const size_t kBlock = 65536;

bool Readable(SOCKET socket, long timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &timeout) == 1;
}

std::string ChunkOf(const std::string& data) {
    char line[16];
    int length = std::snprintf(line, sizeof(line), "%x\r\n", static_cast<unsigned>(data.size()));
    return std::string(line, static_cast<size_t>(length)) + data + "\r\n";
}

}  // namespace

BenchServer::BenchServer(uint32_t size) : bodySize(size) {
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    listen(listener, 4);
    int length = sizeof(address);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    thread = std::thread([this] { Serve(); });
}

BenchServer::~BenchServer() {
    stopping = true;
    thread.join();
    closesocket(listener);
}

void BenchServer::Serve() {
    while (!stopping) {
        if (!Readable(listener, 50)) {
            continue;
        }
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client != INVALID_SOCKET) {
            Answer(client);
            closesocket(client);
        }
    }
}

bool BenchServer::SendAll(SOCKET client, const char* data, size_t size) {
    while (size > 0) {
        int n = send(client, data, static_cast<int>(size), 0);
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void BenchServer::Answer(SOCKET client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        int n = recv(client, buffer, sizeof(buffer), 0);
        if (n <= 0) {
            return;
        }
        request.append(buffer, static_cast<size_t>(n));
    }
    bool chunked = request.compare(0, 13, "GET /chunked ") == 0;
    std::string head = "HTTP/1.1 200 OK\r\n";
    head += chunked ? "Transfer-Encoding: chunked\r\n" : "Content-Length: " + std::to_string(bodySize) + "\r\n";
    head += "\r\n";
    if (!SendAll(client, head.data(), head.size())) {
        return;
    }
    // Built once: a chunk is its size line, the block and a line end.
    std::string block(kBlock, ' ');
    for (size_t i = 0; i < kBlock; ++i) {
        block[i] = static_cast<char>('a' + i % 26);
    }
    std::string fullChunk = ChunkOf(block);
    for (uint32_t sent = 0; sent < bodySize;) {
        size_t take = bodySize - sent < kBlock ? bodySize - sent : kBlock;
        bool ok = true;
        if (!chunked) {
            ok = SendAll(client, block.data(), take);
        } else if (take == kBlock) {
            ok = SendAll(client, fullChunk.data(), fullChunk.size());
        } else {
            std::string last = ChunkOf(block.substr(0, take));
            ok = SendAll(client, last.data(), last.size());
        }
        if (!ok) {
            return;
        }
        sent += static_cast<uint32_t>(take);
    }
    if (chunked) {
        SendAll(client, "0\r\n\r\n", 5);
    }
    shutdown(client, SD_SEND);
    while (Readable(client, 5000) && recv(client, buffer, sizeof(buffer), 0) > 0) {
    }
}
