#include "net/http/URL.h"

#include <gtest/gtest.h>

#include <string>

#include "util/Exception.h"

namespace {

using net::http::URL;

std::wstring Raised(void (*action)(URL&), URL& url) {
    try {
        action(url);
    } catch (Exception* e) {
        std::wstring message = e->GetMessageText().GetBuffer();
        delete e;
        return message;
    }
    return L"(nothing raised)";
}

struct Case {
    const wchar_t* text;
    const wchar_t* host;
    int port;
    const wchar_t* path;
};

TEST(URL, TakesHostPortAndPathApart) {
    const Case cases[] = {
        {L"http://server/versions/index.php?name=Tarnwick", L"server", 80, L"/versions/index.php?name=Tarnwick"},
        {L"http://server:8000/a/b", L"server", 8000, L"/a/b"},
        {L"http://server/a:b", L"server", 80, L"/a:b"},
        {L"HTTP://server", L"server", 80, L"/"},
        {L"http://server:/a", L"server", 0, L"/a"},
        {L"http://server/my file", L"server", 80, L"/my+file"},
        {L"http://server:8000", L"server", 8000, L"/"},
        {L"http://127.0.0.1:+81x/p", L"127.0.0.1", 81, L"/p"},
    };
    for (const Case& c : cases) {
        URL url(c.text);
        EXPECT_STREQ(c.host, url.getHost().GetBuffer()) << c.text;
        EXPECT_EQ(c.port, url.getPort()) << c.text;
        EXPECT_STREQ(c.path, url.getPath().GetBuffer()) << c.text;
    }
}

TEST(URL, SpacesBecomePlusAtConstruction) {
    URL url(L"http://server/a b c");
    EXPECT_STREQ(L"http://server/a+b+c", url.GetBuffer());
    EXPECT_STREQ(L"URL", url.GetObjectClassName());
    URL empty(nullptr);
    EXPECT_STREQ(L"", empty.GetBuffer());
}

TEST(URL, ProtocolAndHttpTest) {
    EXPECT_STREQ(L"hTTp://", URL(L"hTTp://x/").getProtocol().GetBuffer());
    EXPECT_TRUE(URL(L"hTTp://x/").isHttp());
    EXPECT_FALSE(URL(L"https://x/").isHttp());
    EXPECT_FALSE(URL(L"x/y").isHttp());
    EXPECT_STREQ(L"", URL(L"x/y").getProtocol().GetBuffer());
}

TEST(URL, OtherSchemeWithoutPortRaisesOnPort) {
    URL url(L"ftp://server/x");
    EXPECT_STREQ(L"server", url.getHost().GetBuffer());
    EXPECT_STREQ(L"/x", url.getPath().GetBuffer());
    EXPECT_EQ(L"URL::getPort() for \"ftp://server/x\" returned -1", Raised([](URL& u) { u.getPort(); }, url));
    URL withPort(L"ftp://server:21/x");
    EXPECT_EQ(21, withPort.getPort());
}

TEST(URL, TextWithoutSchemeHasNoHost) {
    URL url(L"server/x");
    EXPECT_EQ(L"host part could not be extracted from server/x", Raised([](URL& u) { u.getHost(); }, url));
    URL path(L"/other.php/versions/index.php");
    EXPECT_EQ(L"host part could not be extracted from /other.php/versions/index.php",
              Raised([](URL& u) { u.getHost(); }, path));
}

}  // namespace
