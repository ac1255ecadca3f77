#include "net/http/HttpRequest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using net::http::HttpRequest;

std::string Raw(HttpRequest& request) {
    return std::string(request.GetRaw().GetData(), request.GetRaw().GetSize());
}

void SetGetHeaders(HttpRequest& request) {
    request.SetStartLine(L"GET /versions/index.php?name=x HTTP/1.1");
    request.SetHeader(L"Host", L"server");
    request.SetHeader(L"User-Agent", L"UA");
    request.SetHeader(L"Accept", L"*/*");
    request.SetHeader(L"Accept-Encoding", L"identity");
    request.SetHeader(L"Referer", L"http://server/versions/index.php?name=x");
    request.SetHeader(L"Connection", L"Close");
}

TEST(HttpRequestSerialize, HeadersComeOutInCodeUnitOrder) {
    HttpRequest request;
    SetGetHeaders(request);
    request.SetHeader(L"Cookie", L"a=1");
    request.Serialize();
    EXPECT_EQ(
        "GET /versions/index.php?name=x HTTP/1.1\r\n"
        "Accept: */*\r\n"
        "Accept-Encoding: identity\r\n"
        "Connection: Close\r\n"
        "Cookie: a=1\r\n"
        "Host: server\r\n"
        "Referer: http://server/versions/index.php?name=x\r\n"
        "User-Agent: UA\r\n"
        "\r\n",
        Raw(request));
}

TEST(HttpRequestSerialize, FormAddsTypeLengthAndBodyInUtf8) {
    HttpRequest request;
    SetGetHeaders(request);
    request.SetStartLine(L"POST /f HTTP/1.1");
    request.GetForm()[L"b"] = L"\u00E9";  // two bytes in UTF-8
    request.GetForm()[L"a"] = L"1";
    request.Serialize();
    EXPECT_EQ(
        "POST /f HTTP/1.1\r\n"
        "Accept: */*\r\n"
        "Accept-Encoding: identity\r\n"
        "Connection: Close\r\n"
        "Content-Length: 8\r\n"
        "Content-Type: application/x-www-form-urlencoded\r\n"
        "Host: server\r\n"
        "Referer: http://server/versions/index.php?name=x\r\n"
        "User-Agent: UA\r\n"
        "\r\n"
        "a=1&b=\xC3\xA9\r\n",
        Raw(request));
}

TEST(HttpRequestSerialize, SerializingAgainReplacesTheBytes) {
    HttpRequest request;
    request.SetStartLine(L"GET / HTTP/1.1");
    request.Serialize();
    request.Serialize();
    EXPECT_EQ("GET / HTTP/1.1\r\n\r\n", Raw(request));
}

TEST(HttpRequestReset, ClearsHeadersStartLineRawAndForm) {
    HttpRequest request;
    SetGetHeaders(request);
    request.GetForm()[L"a"] = L"1";
    request.Serialize();
    request.Reset();
    EXPECT_TRUE(request.GetHeaders().empty());
    EXPECT_TRUE(request.GetForm().empty());
    EXPECT_STREQ(L"", request.GetStartLine().GetBuffer());
    EXPECT_EQ(0u, request.GetRaw().GetSize());
    EXPECT_STREQ(L"HttpRequest", request.GetObjectClassName());
}

TEST(HttpMessageHeaders, OneValuePerExactName) {
    HttpRequest request;
    request.SetHeader(L"Name", L"1");
    request.SetHeader(L"Name", L"2");
    EXPECT_STREQ(L"2", request.GetHeader(L"Name").GetBuffer());
    EXPECT_TRUE(request.GetHeader(L"name").IsNull());
    EXPECT_EQ(1u, request.GetHeaders().size());
}

}  // namespace
