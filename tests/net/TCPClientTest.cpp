#include "net/TCPClient.h"

#include <winsock2.h>

#include <gtest/gtest.h>

#include <string>

#include "net/UsesWinsock.h"
#include "support/ScriptedServer.h"
#include "support/ThrownMessage.h"

namespace {

using testsupport::ThrownMessage;

DWORD ReceiveTimeOut(uintptr_t handle) {
    DWORD value = 12345;
    int length = sizeof(value);
    getsockopt(static_cast<SOCKET>(handle), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&value), &length);
    return value;
}

// A client whose socket creation can be made to have failed.
class Client : public net::TCPClient {
public:
    void LoseSocket() {
        Close();
        handle = static_cast<uintptr_t>(INVALID_SOCKET);
    }
};

class TCPClientTest : public ::testing::Test {
protected:
    net::UsesWinsock winsock;
    Client client;

    std::wstring ConnectFailure(const wchar_t* host, int port) {
        client.SetHost(host);
        client.SetPort(port);
        return ThrownMessage([&] { client.Connect(); });
    }
};

TEST_F(TCPClientTest, ConnectMakesAFreshSocketAfterACloseOrAFailedCreation) {
    testsupport::ServerReply silent;
    silent.answer = false;
    testsupport::ScriptedServer server({silent, silent});
    client.SetRecvTimeOut(1234);
    EXPECT_EQ(1234u, ReceiveTimeOut(client.GetHandle()));
    client.Close();
    EXPECT_EQ(0u, client.GetHandle());
    client.Close();  // a second close does nothing
    client.SetHost(L"127.0.0.1");
    client.SetPort(server.Port());
    client.Connect();
    EXPECT_NE(0u, client.GetHandle());
    EXPECT_EQ(0u, ReceiveTimeOut(client.GetHandle()));
    client.LoseSocket();
    client.Connect();
    EXPECT_NE(static_cast<uintptr_t>(INVALID_SOCKET), client.GetHandle());
    EXPECT_NE(0u, client.GetHandle());
    client.Close();
}

TEST_F(TCPClientTest, ConnectToAnAddressThatNeverAnswersIsBounded) {
    testsupport::DeafListener deaf;
    client.SetRecvTimeOut(500);
    std::wstring url = deaf.Url(L"");
    ULONGLONG start = GetTickCount64();
    std::wstring message = ConnectFailure(L"127.0.0.1", std::stoi(url.substr(url.rfind(L':') + 1)));
    EXPECT_LT(GetTickCount64() - start, 1500u);
    EXPECT_NE(std::wstring::npos, message.find(L"while connecting to 127.0.0.1:")) << message;
    EXPECT_GT(GetTickCount64() - start, 400u) << "refused, not left unanswered";
}

TEST_F(TCPClientTest, FailedConnectsNameTheirCause) {
    uintptr_t before = client.GetHandle();
    EXPECT_EQ(L"HttpClient::Connect() no-such-host.invalid could not be resolved",
              ConnectFailure(L"no-such-host.invalid", 80));
    EXPECT_EQ(before, client.GetHandle());  // raised before touching the socket
    int port = testsupport::ScriptedServer::UnusedPort();
    std::wstring message = ConnectFailure(L"127.0.0.1", port);
    std::wstring expected = L"HttpClient::Connect() - while connecting to 127.0.0.1:" + std::to_wstring(port) + L" : ";
    EXPECT_EQ(0u, message.find(expected)) << message;
    EXPECT_GT(message.size(), expected.size());  // the system's text follows
}

TEST(UsesWinsock, EveryObjectStartsAndStopsTheLibrary) {
    std::wstring message = ThrownMessage([] { net::TCPClient client; });
    EXPECT_EQ(0u, message.find(L"HttpClient::CreateSocket()\nError at function socket()\n")) << message;
    {
        net::UsesWinsock outer;
        { net::UsesWinsock inner; }
        net::TCPClient client;  // the outer pair still holds the library
        EXPECT_NE(0u, client.GetHandle());
    }
    EXPECT_EQ(INVALID_SOCKET, socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
}

}  // namespace
