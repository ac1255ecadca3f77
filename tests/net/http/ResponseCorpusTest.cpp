// Robustness of the response reader: thousands of mutated responses, delivered in random
// pieces, must end (no hang), never read or write outside their buffers (the native build runs
// this under AddressSanitizer), and give the same outcome however the bytes are split.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "io/StreamContents.h"
#include "net/http/HttpResponse.h"
#include "net/http/ScriptedSource.h"
#include "util/Exception.h"

namespace {

using net::http::HttpResponse;
using testsupport::ScriptedSource;

const char* const kBases[] = {
    "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nSet-Cookie: a=1\r\n\r\nhello",
    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n3\r\nabc\r\n0\r\n\r\n",
    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1a\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\n\r\n",
    "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1/x\r\nContent-Length: 0\r\n\r\n",
    "HTTP/1.1 200 OK\r\nServer: t\r\n\r\nclose-delimited body",
    "HTTP/1.1 404 Not Found\r\nset-cookie: b=2\r\nSet-Cookie: c=3\r\nContent-Length: 9\r\n\r\nnot found",
    "HTTP/1.0 200\r\nX:y\r\n\r\n",
    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 3\r\n\r\n2\r\nok\r\n0\r\n\r\n",
};

const char kAlphabet[] = "\r\n\r\n0123456789abcdefABCDEF:; -\t\0\xff";

struct Outcome {
    bool raised = false;
    bool complete = false;
    std::string body;
    int status = 0;
};

Outcome ReceiveAll(const std::vector<std::string>& pieces, int ending, size_t inputSize) {
    Outcome outcome;
    HttpResponse response;
    ScriptedSource source(pieces, ending);
    try {
        outcome.complete = response.Receive(source);
    } catch (Exception* e) {
        delete e;
        outcome.raised = true;
    }
    // Every read but the last one consumes at least one byte, so reading always ends.
    EXPECT_LE(static_cast<size_t>(source.Reads()), inputSize + 1);
    if (!outcome.raised) {
        outcome.body = testsupport::Contents(response.GetBody());
        outcome.status = response.GetStatusCode();
    }
    return outcome;
}

class Mutator {
public:
    explicit Mutator(uint32_t seed) : random(seed) {}

    uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(random() % n) : 0; }

    std::string Mutate(std::string text) {
        uint32_t rounds = 1 + Below(4);
        for (uint32_t r = 0; r < rounds; ++r) {
            uint32_t at = Below(static_cast<uint32_t>(text.size()) + 1);
            switch (Below(6)) {
                case 0:
                    if (at < text.size()) {
                        text[at] = static_cast<char>(random());
                    }
                    break;
                case 1:
                    text.insert(at, 1, kAlphabet[Below(sizeof(kAlphabet) - 1)]);
                    break;
                case 2:
                    text.erase(at, Below(8));
                    break;
                case 3:
                    text.insert(at, text.substr(Below(static_cast<uint32_t>(text.size())), Below(16)));
                    break;
                case 4:
                    text.resize(at);
                    break;
                default: {
                    static const char* const numbers[] = {"ffffffff", "100000000", "99999999999", "-1", "7fffffff",
                                                          "4294967295"};
                    text.insert(at, numbers[Below(6)]);
                    break;
                }
            }
        }
        return text;
    }

    std::vector<std::string> Split(const std::string& text) {
        std::vector<std::string> pieces;
        for (size_t at = 0; at < text.size();) {
            size_t take = 1 + Below(Below(2) ? 4 : 64);
            pieces.push_back(text.substr(at, take));
            at += take;
        }
        return pieces;
    }

private:
    std::mt19937 random;
};

TEST(ResponseCorpus, UnmutatedBasesDecode) {
    const char* const bodies[] = {"hello", "helloabc", "abcdefghijklmnopqrstuvwxyz", "", "close-delimited body",
                                  "not found", "", "ok"};
    for (size_t i = 0; i < std::size(kBases); ++i) {
        std::string base = kBases[i];
        Outcome outcome = ReceiveAll({base}, 0, base.size());
        EXPECT_FALSE(outcome.raised) << i;
        EXPECT_TRUE(outcome.complete) << i;
        EXPECT_EQ(bodies[i], outcome.body) << i;
    }
}

TEST(ResponseCorpus, MutatedResponsesEndSafelyWhateverTheSplit) {
    Mutator mutator(20261206u);
    int raised = 0;
    int complete = 0;
    for (int i = 0; i < 4000; ++i) {
        std::string input = mutator.Mutate(kBases[mutator.Below(std::size(kBases))]);
        int ending = mutator.Below(2) ? 0 : -1;
        Outcome whole = ReceiveAll({input}, ending, input.size());
        Outcome pieces = ReceiveAll(mutator.Split(input), ending, input.size());
        ASSERT_EQ(whole.raised, pieces.raised) << "case " << i;
        ASSERT_EQ(whole.complete, pieces.complete) << "case " << i;
        ASSERT_EQ(whole.body, pieces.body) << "case " << i;
        ASSERT_EQ(whole.status, pieces.status) << "case " << i;
        raised += whole.raised;
        complete += whole.complete;
    }
    // The corpus must exercise both the failures and the successes of the reader.
    EXPECT_GT(raised, 100);
    EXPECT_GT(complete, 400);
}

}  // namespace
