#include "net/http/URL.h"

#include <gtest/gtest.h>

#include <string>

#include "support/ThrownMessage.h"

namespace {

using net::http::URL;
using testsupport::ThrownMessage;

TEST(URL, TakesHostPortAndPathApart) {
    const struct {
        const wchar_t* text;
        const wchar_t* host;
        int port;
        const wchar_t* path;
    } cases[] = {
        {L"http://server/versions/index.php?name=Tarnwick", L"server", 80, L"/versions/index.php?name=Tarnwick"},
        {L"http://server:8000/a/b", L"server", 8000, L"/a/b"},
        {L"http://server/a:b", L"server", 80, L"/a:b"},
        {L"HTTP://server", L"server", 80, L"/"},
        {L"http://server:/a", L"server", 0, L"/a"},
        {L"http://server/my file", L"server", 80, L"/my+file"},
        {L"http://server:8000", L"server", 8000, L"/"},
        {L"http://127.0.0.1:+81x/p", L"127.0.0.1", 81, L"/p"},
        {L"ftp://server:21/x", L"server", 21, L"/x"},
    };
    for (const auto& c : cases) {
        URL url(c.text);
        EXPECT_STREQ(c.host, url.getHost().GetBuffer()) << c.text;
        EXPECT_EQ(c.port, url.getPort()) << c.text;
        EXPECT_STREQ(c.path, url.getPath().GetBuffer()) << c.text;
    }
}

TEST(URL, TextProtocolAndHttpTest) {
    EXPECT_STREQ(L"http://server/a+b+c", URL(L"http://server/a b c").GetBuffer());  // spaces become plus at once
    EXPECT_STREQ(L"", URL(nullptr).GetBuffer());
    EXPECT_FALSE(URL(L"https://x/").isHttp());  // any case of http://: port 80 of "HTTP://server" above
    EXPECT_FALSE(URL(L"x/y").isHttp());
    EXPECT_STREQ(L"", URL(L"x/y").getProtocol().GetBuffer());
}

TEST(URL, MissingPartsRaise) {
    URL ftp(L"ftp://server/x");  // its path is read as any other: the first test's ftp row
    EXPECT_EQ(L"URL::getPort() for \"ftp://server/x\" returned -1", ThrownMessage([&] { ftp.getPort(); }));
    for (const wchar_t* text : {L"server/x", L"/other.php/versions/index.php"}) {
        URL url(text);
        EXPECT_EQ(std::wstring(L"host part could not be extracted from ") + text,
                  ThrownMessage([&] { url.getHost(); }));
    }
}

TEST(URL, RedirectTargets) {
    const wchar_t* from = L"http://s1/dir/page.php?name=x";
    const struct {
        const wchar_t* location;
        const wchar_t* target;  // nullptr: not followed
    } cases[] = {
        {L"http://s2/", L"http://s2/dir/page.php?name=x"},  // a bare origin keeps path and query
        {L"HTTP://s2:8080", L"HTTP://s2:8080/dir/page.php?name=x"},
        {L"http://s2/other.php", L"http://s2/other.php"},  // a path of its own is the whole target
        {L"http://s2?q=1", L"http://s2/?q=1"},
        {L"//s2/p", L"http://s2/p"},
        {L"/other.php", L"http://s1/other.php"},
        {L"other.php#top", L"http://s1/dir/other.php"},
        {L"?name=y", L"http://s1/dir/page.php?name=y"},
        {L"/p?u=ftp://x", L"http://s1/p?u=ftp://x"},
        {L"https://s2/", nullptr},
        {L"ftp://s2/x", nullptr},
        {L"", nullptr},
        {L"#top", nullptr},
        {L"/x\nHost: s3", nullptr},
        {L"/x\r", nullptr},
    };
    for (const auto& c : cases) {
        String target;
        EXPECT_EQ(c.target != nullptr, URL::Resolve(from, c.location, target)) << c.location;
        if (c.target) {
            EXPECT_STREQ(c.target, target.GetBuffer()) << c.location;
        }
    }
    String target;
    EXPECT_TRUE(URL::Resolve(L"http://s1", L"a.php", target));
    EXPECT_STREQ(L"http://s1/a.php", target.GetBuffer());
    EXPECT_FALSE(URL::Resolve(L"http://s1/a", String(), target));
}

}  // namespace
