#pragma once

#include <cstddef>
#include <vector>

#include "util/LineStore.h"
#include "util/TextStyle.h"

namespace util {

class TextFinder;

// What a view draws over a line besides the line's own styles: web addresses as links
// (underlined, in the link colour) and, while a search is shown, its matches marked. The store
// keeps the output as it came; the marks exist only in what is drawn.
class LineMarks {
public:
    // A stretch of a line and how it is marked.
    struct Mark {
        size_t start;
        size_t length;
        bool link;  // else a match of the search
    };

    LineMarks() : finder(nullptr) {}

    // The search whose matches are marked (not owned); null marks none.
    void SetFinder(const TextFinder* newFinder) { finder = newFinder; }
    const TextFinder* GetFinder() const { return finder; }

    // The marks of a line: its links, then its matches.
    std::vector<Mark> MarksOf(const StoredLine& line) const;
    // The line as drawn: the line itself when nothing marks it, else a copy with the marks over its
    // runs, valid until the next call.
    const StoredLine& Shown(const StoredLine& line);

    // The runs of line with the styles of marks laid over those of its text.
    static StyleRuns Overlay(const StoredLine& line, const std::vector<Mark>& marks);
    static TextStyle Marked(TextStyle style, const Mark& mark);

private:
    const TextFinder* finder;
    StoredLine shown;  // reused
};

}  // namespace util
