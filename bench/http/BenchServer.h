#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <thread>

// Serves bodies of a fixed size on 127.0.0.1 from one small repeated block, so that the
// server holds no copy of the body: "/sized" with a Content-Length, "/chunked" in chunks of the
// block's size. One connection at a time, until destroyed.
class BenchServer {
public:
    explicit BenchServer(uint32_t bodySize);
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    int Port() const { return port; }

private:
    void Serve();
    void Answer(SOCKET client);
    bool SendAll(SOCKET client, const char* data, size_t size);

    uint32_t bodySize;
    SOCKET listener = INVALID_SOCKET;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::thread thread;
};
