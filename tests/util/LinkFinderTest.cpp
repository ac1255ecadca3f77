#include "util/LinkFinder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "util/LineStore.h"

namespace {

using util::LinkFinder;
using util::LinkSpan;

std::vector<std::wstring> Links(const std::wstring& text) {
    std::vector<std::wstring> found;
    for (const LinkSpan& link : LinkFinder::Find(text)) {
        found.push_back(text.substr(link.start, link.length));
    }
    return found;
}

TEST(LinkFinder, AnAddressEndsWhereTheTextAroundItTakesOver) {
    const struct {
        const wchar_t* line;
        std::vector<std::wstring> links;
    } cases[] = {
        {L"see http://example.com/a?b=1&c=2#d now", {L"http://example.com/a?b=1&c=2#d"}},
        {L"HTTPS://Example.com. And https://x.org, then http://y.net;",
         {L"HTTPS://Example.com", L"https://x.org", L"http://y.net"}},
        {L"(see https://en.example.org/wiki/Foo_(bar)) and [http://a.b/c]",
         {L"https://en.example.org/wiki/Foo_(bar)", L"http://a.b/c"}},
        {L"\"http://q.com/x\" 'http://s.com' <http://t.com/>", {L"http://q.com/x", L"http://s.com", L"http://t.com/"}},
        {L"at http://h:8080/p: done! http://[::1]:80/?", {L"http://h:8080/p", L"http://[::1]:80/"}},
        {L"url=http://a.com/b,c,d.", {L"http://a.com/b,c,d"}},
        {L"two:http://a.com\thttp://b.com\xA0x", {L"http://a.com", L"http://b.com"}},
        {L"http://caf\xE9.example/\x4E2D", {L"http://caf\xE9.example/\x4E2D"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.links, Links(c.line)) << testing::PrintToString(std::wstring(c.line));
    }
}

TEST(LinkFinder, NothingButWebAddressesIsEverALink) {
    for (const wchar_t* line :
         {L"file:///C:/Windows/system32/calc.exe", L"C:\\Program Files\\x.exe", L"ftp://example.com",
          L"javascript://alert(1)", L"xhttp://example.com", L"shttps://example.com", L"http://", L"https:// x",
          L"http:///etc/passwd", L"http:example.com", L"www.example.com", L"\\\\server\\share", L"mailto:a@b.c"}) {
        EXPECT_TRUE(LinkFinder::Find(line).empty()) << testing::PrintToString(std::wstring(line));
    }
}

TEST(LinkFinder, ALineOfClosingBracketsAtTheBoundIsLookedThroughAtOnce) {
    // Painting looks at every line shown: a line of the longest length must cost no more than it.
    const size_t half = util::LineStore::kLineBound / 2;
    const std::wstring closing(2 * half, L')');
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(std::vector<std::wstring>{L"http://a"}, Links(L"http://a" + closing + L"."));
    EXPECT_EQ(std::vector<std::wstring>{L"http://[]"}, Links(L"http://[" + std::wstring(half, L']')));
    EXPECT_EQ(std::vector<std::wstring>{L"http://a.b/(c)"}, Links(L"http://a.b/(c)" + std::wstring(half, L')')));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(LinkFinder, AnAddressCutBetweenTwoReadsIsOneLinkAndAClickFindsIt) {
    const std::wstring address = L"https://example.com/a/long/path?query=1";
    for (size_t cut = 1; cut < address.size(); cut += 7) {
        util::LineStore store(10000);
        std::wstring first = L"go " + address.substr(0, cut), second = address.substr(cut) + L" now\n";
        store.AppendText(first.data(), first.size(), util::TextStyle(), 0);
        store.AppendText(second.data(), second.size(), util::TextStyle(), 1);
        EXPECT_EQ(std::vector<std::wstring>{address}, Links(store.At(0).text)) << cut;
    }
    const std::wstring line = L"a http://x.org b";
    LinkSpan link;
    EXPECT_TRUE(LinkFinder::At(line, 2, link));
    EXPECT_EQ(2u, link.start);
    EXPECT_TRUE(LinkFinder::At(line, 13, link));
    EXPECT_FALSE(LinkFinder::At(line, 14, link));
    EXPECT_FALSE(LinkFinder::At(line, 1, link));
}

}  // namespace
