#include "util/LineMarks.h"

#include <algorithm>

#include "util/LinkFinder.h"
#include "util/TextFinder.h"

namespace util {

namespace {

// Palette colours, so that the palette keeps them readable on light and dark windows and gives
// system colours in high contrast.
const uint32_t kLinkColour = TextStyle::kPalette | 4;        // blue
const uint32_t kMatchBackground = TextStyle::kPalette | 11;  // bright yellow
const uint32_t kMatchText = TextStyle::kPalette | 0;         // black

}  // namespace

std::vector<LineMarks::Mark> LineMarks::MarksOf(const StoredLine& line) const {
    std::vector<Mark> marks;
    for (const LinkSpan& link : LinkFinder::Find(line.text)) {
        marks.push_back({link.start, link.length, true});
    }
    if (finder) {
        size_t length = finder->GetQuery().text.size();
        for (size_t start : finder->FindInLine(line.text)) {
            marks.push_back({start, length, false});
        }
    }
    return marks;
}

const StoredLine& LineMarks::Shown(const StoredLine& line) {
    std::vector<Mark> marks = MarksOf(line);
    if (marks.empty()) {
        return line;
    }
    shown.text = line.text;
    shown.arrival = line.arrival;
    shown.continuation = line.continuation;
    shown.runs = Overlay(line, marks);
    return shown;
}

TextStyle LineMarks::Marked(TextStyle style, const Mark& mark) {
    if (mark.link) {
        style.flags |= TextStyle::Underline | TextStyle::Link;
        style.foreground = kLinkColour;
    } else {
        style.flags &= static_cast<uint16_t>(~TextStyle::Inverse);
        style.foreground = kMatchText;
        style.background = kMatchBackground;
    }
    return style;
}

StyleRuns LineMarks::Overlay(const StoredLine& line, const std::vector<Mark>& marks) {
    std::vector<size_t> cuts = {0};
    for (const StyleRun& run : line.runs) {
        cuts.push_back(run.start);
    }
    for (const Mark& mark : marks) {
        cuts.push_back(mark.start);
        cuts.push_back(mark.start + mark.length);
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    // How many links and matches cover each cut, from where each begins and ends: a line with a
    // mark at every character and a colour at every one costs its length, not its length squared.
    std::vector<int> links(cuts.size() + 1, 0), matches(cuts.size() + 1, 0);
    const Mark* link = nullptr;
    const Mark* match = nullptr;
    for (const Mark& mark : marks) {
        std::vector<int>& covering = mark.link ? links : matches;
        (mark.link ? link : match) = &mark;
        ++covering[static_cast<size_t>(std::lower_bound(cuts.begin(), cuts.end(), mark.start) - cuts.begin())];
        --covering[static_cast<size_t>(
            std::lower_bound(cuts.begin(), cuts.end(), mark.start + mark.length) - cuts.begin())];
    }
    StyleRuns runs;
    size_t run = 0;  // the line's run in effect at the cut
    int inLinks = 0, inMatches = 0;
    for (size_t i = 0; i < cuts.size(); ++i) {
        size_t cut = cuts[i];
        inLinks += links[i];
        inMatches += matches[i];
        if (cut >= line.text.size() && cut > 0) {
            break;
        }
        while (run < line.runs.size() && line.runs[run].start <= cut) {
            ++run;
        }
        TextStyle style = run > 0 ? line.runs[run - 1].style : TextStyle();
        // Links first, then matches, as MarksOf lists them.
        style = inLinks > 0 ? Marked(style, *link) : style;
        style = inMatches > 0 ? Marked(style, *match) : style;
        if (runs.empty() || runs.back().style != style) {
            runs.push_back({static_cast<uint32_t>(cut), style});
        }
    }
    return runs;
}

}  // namespace util
