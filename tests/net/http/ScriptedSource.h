#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "io/IInputStream.h"

namespace testsupport {

// A byte source that hands out scripted pieces, one per read (cut to the reader's buffer), and
// then ends as told: 0 (the peer closed) or -1 (a failure or timeout). Counts the reads.
class ScriptedSource : public io::IInputStream {
public:
    explicit ScriptedSource(std::vector<std::string> pieces, int ending = 0)
        : pieces(std::move(pieces)), ending(ending) {}

    int Read(char* buffer, int size) override {
        ++reads;
        while (next < pieces.size() && offset == pieces[next].size()) {
            ++next;
            offset = 0;
        }
        if (next == pieces.size()) {
            return ending;
        }
        size_t take = std::min(pieces[next].size() - offset, static_cast<size_t>(size));
        pieces[next].copy(buffer, take, offset);
        offset += take;
        return static_cast<int>(take);
    }

    int Reads() const { return reads; }

private:
    std::vector<std::string> pieces;
    int ending;
    size_t next = 0;
    size_t offset = 0;
    int reads = 0;
};

}  // namespace testsupport
