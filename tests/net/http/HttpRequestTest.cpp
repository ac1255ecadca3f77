#include "net/http/HttpRequest.h"

#include <gtest/gtest.h>

#include <string>

#include "io/StreamContents.h"

namespace {

using net::http::HttpRequest;

TEST(HttpRequest, SerializeSortsHeadersByCodeUnitsAndSendsTheFormInUtf8) {
    HttpRequest request;
    request.SetStartLine(L"POST /f HTTP/1.1");
    request.SetHeader(L"Host", L"old");
    request.SetHeader(L"Host", L"server");  // one value per name
    request.SetHeader(L"User-Agent", L"UA");
    request.SetHeader(L"Accept-Encoding", L"identity");
    request.SetHeader(L"Cookie", L"a=1");
    request.SetHeader(L"Connection", L"Close");
    request.GetForm()[L"b"] = L"\u00E9";  // two bytes in UTF-8
    request.GetForm()[L"a"] = L"1";
    request.Serialize();
    request.Serialize();                               // serializing again replaces the bytes
    EXPECT_TRUE(request.GetHeader(L"host").IsNull());  // names are exact
    EXPECT_EQ(
        "POST /f HTTP/1.1\r\n"
        "Accept-Encoding: identity\r\n"
        "Connection: Close\r\n"
        "Content-Length: 8\r\n"
        "Content-Type: application/x-www-form-urlencoded\r\n"
        "Cookie: a=1\r\n"
        "Host: server\r\n"
        "User-Agent: UA\r\n"
        "\r\n"
        "a=1&b=\xC3\xA9\r\n",
        testsupport::Contents(request.GetRaw()));

    request.Reset();
    EXPECT_TRUE(request.GetHeaders().empty());
    EXPECT_TRUE(request.GetForm().empty());
    EXPECT_STREQ(L"", request.GetStartLine().GetBuffer());
    EXPECT_EQ(0u, request.GetRaw().GetSize());
}

}  // namespace
