#include "util/TextSelection.h"

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

}  // namespace util
