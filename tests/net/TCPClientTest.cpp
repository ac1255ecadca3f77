#include "net/TCPClient.h"

#include <winsock2.h>

#include <gtest/gtest.h>

#include <string>

#include "ScriptedServer.h"
#include "net/UsesWinsock.h"
#include "util/Exception.h"

namespace {

std::wstring Raised(void (*action)(net::TCPClient&), net::TCPClient& client) {
    try {
        action(client);
    } catch (Exception* e) {
        std::wstring message = e->GetMessageText().GetBuffer();
        delete e;
        return message;
    }
    return L"(nothing raised)";
}

DWORD ReceiveTimeOut(uintptr_t handle) {
    DWORD value = 12345;
    int length = sizeof(value);
    getsockopt(static_cast<SOCKET>(handle), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&value), &length);
    return value;
}

// A port on 127.0.0.1 where nothing listens: one the system handed out and took back.
int ClosedPort() {
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    int length = sizeof(address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(probe);
    return ntohs(address.sin_port);
}

TEST(TCPClient, ConstructionCreatesASocketNamedHttpClient) {
    net::UsesWinsock winsock;
    net::TCPClient client;
    EXPECT_STREQ(L"HttpClient", client.GetObjectClassName());
    EXPECT_NE(0u, client.GetHandle());
    EXPECT_NE(static_cast<uintptr_t>(INVALID_SOCKET), client.GetHandle());
    EXPECT_EQ(-1, client.GetPort());
    EXPECT_STREQ(L"", client.GetHost().GetBuffer());
}

TEST(TCPClient, CloseTwiceDoesNothingTheSecondTime) {
    net::UsesWinsock winsock;
    net::TCPClient client;
    client.Close();
    EXPECT_EQ(0u, client.GetHandle());
    client.Close();
    EXPECT_EQ(0u, client.GetHandle());
}

TEST(TCPClient, ConnectAfterCloseUsesAFreshSocketWithoutTimeout) {
    net::UsesWinsock winsock;
    testsupport::ServerReply silent;
    silent.answer = false;
    testsupport::ScriptedServer server({silent});
    net::TCPClient client;
    client.SetRecvTimeOut(1234);
    EXPECT_EQ(1234u, ReceiveTimeOut(client.GetHandle()));
    client.Close();
    client.SetHost(L"127.0.0.1");
    client.SetPort(server.Port());
    client.Connect();
    EXPECT_NE(0u, client.GetHandle());
    EXPECT_EQ(0u, ReceiveTimeOut(client.GetHandle()));
    client.Close();
}

TEST(TCPClient, UnresolvableHostRaisesBeforeTouchingTheSocket) {
    net::UsesWinsock winsock;
    net::TCPClient client;
    uintptr_t before = client.GetHandle();
    client.SetHost(L"no-such-host.invalid");
    client.SetPort(80);
    EXPECT_EQ(L"HttpClient::Connect() no-such-host.invalid could not be resolved",
              Raised([](net::TCPClient& c) { c.Connect(); }, client));
    EXPECT_EQ(before, client.GetHandle());
}

TEST(TCPClient, RefusedConnectionNamesHostAndPort) {
    net::UsesWinsock winsock;
    net::TCPClient client;
    int port = ClosedPort();
    client.SetHost(L"127.0.0.1");
    client.SetPort(port);
    std::wstring message = Raised([](net::TCPClient& c) { c.Connect(); }, client);
    std::wstring expected = L"HttpClient::Connect() - while connecting to 127.0.0.1:" + std::to_wstring(port) + L" : ";
    EXPECT_EQ(0u, message.find(expected)) << message;
    EXPECT_GT(message.size(), expected.size());  // the system's text follows
}

TEST(TCPClient, WithoutTheSocketLibraryConstructionFails) {
    try {
        net::TCPClient client;
        FAIL() << "no exception";
    } catch (Exception* e) {
        std::wstring message = e->GetMessageText().GetBuffer();
        EXPECT_EQ(0u, message.find(L"HttpClient::CreateSocket()\nError at function socket()\n")) << message;
        delete e;
    }
}

TEST(UsesWinsock, EveryObjectStartsAndStopsTheLibrary) {
    {
        net::UsesWinsock outer;
        {
            net::UsesWinsock inner;
            EXPECT_STREQ(L"UsesWinsock", inner.GetObjectClassName());
        }
        net::TCPClient client;  // the outer pair still holds the library
        EXPECT_NE(0u, client.GetHandle());
    }
    SOCKET after = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    EXPECT_EQ(INVALID_SOCKET, after);
}

}  // namespace
