#include "util/TextSelection.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>

#include "util/LineStore.h"

namespace util {

namespace {

bool IsWordCharacter(wchar_t c) {
    return c == L'_' || std::iswalnum(static_cast<wint_t>(c)) != 0;
}

}  // namespace

void TextSelection::Clamp(const LineStore& store) {
    anchor = store.Clamp(anchor);
    caret = store.Clamp(caret);
}

std::wstring TextSelection::Text(const LineStore& store) const {
    return store.Text(Start(), End());
}

void TextSelection::SelectWord(const LineStore& store, TextPosition position) {
    position = store.Clamp(position);
    const std::wstring& line = store.At(position.line).text;
    size_t from = position.column;
    size_t to = position.column;
    if (from < line.size() && IsWordCharacter(line[from])) {
        while (from > 0 && IsWordCharacter(line[from - 1])) {
            --from;
        }
        while (to < line.size() && IsWordCharacter(line[to])) {
            ++to;
        }
    } else if (to < line.size()) {
        ++to;
    }
    Set({position.line, from}, {position.line, to});
}

void TextSelection::SelectLine(const LineStore& store, uint64_t number) {
    TextPosition start = store.Clamp({number, 0});
    TextPosition end = start.line + 1 < store.EndNumber() ? TextPosition{start.line + 1, 0} : store.End();
    Set(start, end);
}

void TextSelection::SelectAll(const LineStore& store) {
    Set({store.FirstNumber(), 0}, store.End());
}

TextPosition TextSelection::Moved(const LineStore& store, Motion motion, int64_t pageLines) const {
    TextPosition at = store.Clamp(caret);
    auto down = [&](int64_t lines) {
        int64_t line = static_cast<int64_t>(at.line) + lines;
        int64_t last = static_cast<int64_t>(store.EndNumber() - 1);
        return store.Clamp({static_cast<uint64_t>(std::max<int64_t>(0, std::min(line, last))), at.column});
    };
    switch (motion) {
        case LineUp: return down(-1);
        case LineDown: return down(1);
        case PageUp: return down(-pageLines);
        case PageDown: return down(pageLines);
        case CharacterLeft:
            if (at.column > 0 || at.line == store.FirstNumber()) {
                return {at.line, at.column > 0 ? at.column - 1 : 0};
            }
            return store.Clamp({at.line - 1, SIZE_MAX});
        case CharacterRight:
            return at.column < store.At(at.line).text.size() ? TextPosition{at.line, at.column + 1}
                                                             : store.Clamp({at.line + 1, 0});
        case LineStart: return {at.line, 0};
        case LineEnd: return store.Clamp({at.line, SIZE_MAX});
        case TextStart: return {store.FirstNumber(), 0};
        case TextEnd: return store.End();
    }
    return at;
}

}  // namespace util
