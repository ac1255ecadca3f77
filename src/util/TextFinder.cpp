#include "util/TextFinder.h"

#include <cwctype>

#include "util/LineStore.h"

namespace util {

namespace {

// Letter case folded the same way whatever the C library's locale: ASCII and the Latin-1
// letters by rule, the rest as the library knows them.
inline wchar_t Fold(wchar_t c) {
    if (c < 0x80) {
        return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        return static_cast<wchar_t>(c + 32);
    }
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

inline bool IsWordCharacter(wchar_t c) {
    if (c < 0x80) {
        return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_';
    }
    if (c >= 0xC0 && c <= 0xFF) {
        return c != 0xD7 && c != 0xF7;
    }
    return std::iswalnum(static_cast<wint_t>(c)) != 0;
}

}  // namespace

TextFinder::TextFinder() : wideShift(0), countedFirst(0), total(0) {}

void TextFinder::SetQuery(const FindQuery& newQuery) {
    query = newQuery;
    folded = query.text;
    if (!query.matchCase) {
        for (wchar_t& c : folded) {
            c = Fold(c);
        }
    }
    MakeShifts();
    counts.clear();
    total = 0;
}

void TextFinder::Update(const LineStore& store) {
    uint64_t countedEnd = countedFirst + counts.size();
    if (store.EndNumber() < countedEnd) {
        counts.clear();  // the store was replaced: nothing counted still stands
        total = 0;
    }
    // Lines the store dropped leave the count; the last counted line may have grown since.
    while (!counts.empty() && countedFirst < store.FirstNumber()) {
        total -= counts.front();
        counts.pop_front();
        ++countedFirst;
    }
    if (counts.empty()) {
        countedFirst = store.FirstNumber();
    } else {
        total -= counts.back();
        counts.pop_back();
    }
    for (uint64_t line = countedFirst + counts.size(); line < store.EndNumber(); ++line) {
        uint32_t inLine = static_cast<uint32_t>(CountInLine(store.At(line).text));
        counts.push_back(inLine);
        total += inLine;
    }
}

uint32_t TextFinder::CountedIn(uint64_t line) const {
    return line >= countedFirst && line < countedFirst + counts.size() ? counts[line - countedFirst] : 0;
}

size_t TextFinder::OrdinalOf(const LineStore& store, TextPosition start) const {
    if (!store.Holds(start.line) || start.line < countedFirst || start.line >= countedFirst + counts.size()) {
        return 0;
    }
    size_t before = 0;
    for (uint64_t line = countedFirst; line < start.line; ++line) {
        before += counts[line - countedFirst];
    }
    std::vector<size_t> starts = FindInLine(store.At(start.line).text);
    for (size_t i = 0; i < starts.size(); ++i) {
        if (starts[i] == start.column) {
            return before + i + 1;
        }
    }
    return 0;
}

bool TextFinder::Next(const LineStore& store, TextPosition from, bool backward, TextMatch& match, bool& wrapped) const {
    wrapped = false;
    if (folded.empty()) {
        return false;
    }
    uint64_t first = store.FirstNumber();
    uint64_t end = store.EndNumber();
    if (from.line < first) {
        from = {first, 0};
    }
    if (!backward) {
        uint64_t line = from.line < end ? from.line : end;
        if (FirstInLines(store, line, end, from.column, match)) {
            return true;
        }
        wrapped = true;
        return FirstInLines(store, first, line < end ? line + 1 : end, 0, match);
    }
    uint64_t line = from.line < end ? from.line + 1 : end;
    if (LastInLines(store, first, line, from, match)) {
        return true;
    }
    wrapped = true;
    return LastInLines(store, line > first ? line - 1 : first, end, {UINT64_MAX, 0}, match);
}

bool TextFinder::FirstInLines(const LineStore& store,
                              uint64_t from,
                              uint64_t end,
                              size_t column,
                              TextMatch& match) const {
    uint64_t trusted = countedFirst + (counts.empty() ? 0 : counts.size() - 1);
    for (uint64_t line = from; line < end; ++line) {
        // A line counted without a match need not be read again (the last one may have grown).
        if (line >= countedFirst && line < trusted && CountedIn(line) == 0) {
            continue;
        }
        size_t at = MatchAt(store.At(line).text, line == from ? column : 0);
        if (at != std::wstring::npos) {
            match = {{line, at}, folded.size()};
            return true;
        }
    }
    return false;
}

bool TextFinder::LastInLines(const LineStore& store,
                             uint64_t from,
                             uint64_t end,
                             TextPosition before,
                             TextMatch& match) const {
    uint64_t trusted = countedFirst + (counts.empty() ? 0 : counts.size() - 1);
    for (uint64_t line = end; line-- > from;) {
        if (line >= countedFirst && line < trusted && CountedIn(line) == 0) {
            continue;
        }
        std::vector<size_t> starts = FindInLine(store.At(line).text);
        for (size_t i = starts.size(); i-- > 0;) {
            if (TextPosition{line, starts[i]} < before) {
                match = {{line, starts[i]}, folded.size()};
                return true;
            }
        }
    }
    return false;
}

std::vector<TextMatch> TextFinder::MatchesIn(const LineStore& store, uint64_t firstLine, uint64_t endLine) const {
    std::vector<TextMatch> matches;
    firstLine = firstLine < store.FirstNumber() ? store.FirstNumber() : firstLine;
    endLine = endLine > store.EndNumber() ? store.EndNumber() : endLine;
    for (uint64_t line = firstLine; line < endLine; ++line) {
        for (size_t at : FindInLine(store.At(line).text)) {
            matches.push_back({{line, at}, folded.size()});
        }
    }
    return matches;
}

std::vector<size_t> TextFinder::FindInLine(const std::wstring& text) const {
    std::vector<size_t> starts;
    for (size_t at = MatchAt(text, 0); at != std::wstring::npos; at = MatchAt(text, at + folded.size())) {
        starts.push_back(at);
    }
    return starts;
}

size_t TextFinder::CountInLine(const std::wstring& text) const {
    size_t count = 0;
    for (size_t at = MatchAt(text, 0); at != std::wstring::npos; at = MatchAt(text, at + folded.size())) {
        ++count;
    }
    return count;
}

size_t TextFinder::MatchAt(const std::wstring& text, size_t from) const {
    size_t length = folded.size();
    if (length == 0 || from > text.size() || text.size() - from < length) {
        return std::wstring::npos;
    }
    for (size_t last = text.size() - length;; ++from) {
        from = query.matchCase ? text.find(folded, from) : FoldedFind(text, from, last);
        if (from == std::wstring::npos) {
            return from;
        }
        if (!query.wholeWord || IsWholeWord(text, from)) {
            return from;
        }
        if (from == last) {
            return std::wstring::npos;
        }
    }
}

size_t TextFinder::FoldedFind(const std::wstring& text, size_t from, size_t last) const {
    // Each place is judged by the last character it would cover: most characters of output are
    // not in the query, and the query's length can be skipped at once past them.
    size_t end = folded.size() - 1;
    while (from <= last) {
        wchar_t tail = Fold(text[from + end]);
        if (tail == folded[end]) {
            size_t i = 0;
            while (i < end && Fold(text[from + i]) == folded[i]) {
                ++i;
            }
            if (i == end) {
                return from;
            }
        }
        from += static_cast<size_t>(tail) < kShiftTable ? shifts[static_cast<size_t>(tail)] : wideShift;
    }
    return std::wstring::npos;
}

void TextFinder::MakeShifts() {
    // How far the query may move on when the last character it covers is c: to put its last c
    // (not counting its own last character) there, or all of its length past a c it lacks.
    // Characters beyond the table share the shortest shift any of them has.
    size_t length = folded.size();
    shifts.assign(kShiftTable, length);
    wideShift = length;
    for (size_t i = 0; i + 1 < length; ++i) {
        size_t shift = length - 1 - i;
        if (static_cast<size_t>(folded[i]) < kShiftTable) {
            shifts[static_cast<size_t>(folded[i])] = shift;
        } else {
            wideShift = shift < wideShift ? shift : wideShift;
        }
    }
}

bool TextFinder::IsWholeWord(const std::wstring& text, size_t at) const {
    size_t end = at + folded.size();
    return (at == 0 || !IsWordCharacter(text[at - 1])) && (end >= text.size() || !IsWordCharacter(text[end]));
}

}  // namespace util
