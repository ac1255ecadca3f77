#pragma once

#include <string>

#include "util/TextPosition.h"

namespace util {

class LineStore;

// The selected stretch of a view's text: from the anchor (where the selection began) to the caret
// (where it is extended to). Both are line-numbered positions, so new output and the dropping of
// old lines leave it on the same text; Clamp shortens it to what is still held.
class TextSelection {
public:
    // Where Shift and a movement key take the caret.
    enum Motion { LineUp, LineDown, PageUp, PageDown, CharacterLeft, CharacterRight, LineStart, LineEnd, TextStart, TextEnd };

    bool Empty() const { return anchor == caret; }
    TextPosition Anchor() const { return anchor; }
    TextPosition Caret() const { return caret; }
    TextPosition Start() const { return caret < anchor ? caret : anchor; }
    TextPosition End() const { return caret < anchor ? anchor : caret; }
    bool Contains(TextPosition position) const { return Start() <= position && position < End(); }

    // Both ends at one place: nothing selected.
    void Collapse(TextPosition position) { anchor = caret = position; }
    void Set(TextPosition from, TextPosition to) {
        anchor = from;
        caret = to;
    }
    void ExtendTo(TextPosition position) { caret = position; }
    // Keeps the selection inside the text held: its dropped part goes, columns past a line's end
    // come back to it.
    void Clamp(const LineStore& store);

    std::wstring Text(const LineStore& store) const;

    // The word around a position (letters, digits and underscores), or the one other character
    // there: what a double click selects.
    void SelectWord(const LineStore& store, TextPosition position);
    // A whole line with its line break (the last line without one): what a triple click selects.
    void SelectLine(const LineStore& store, uint64_t number);
    void SelectAll(const LineStore& store);
    // The caret's place after a motion (held to the text): lines keep the column as far as the line
    // is long, a character left of a line's start is the end of the line before, and right of its
    // end the start of the next.
    TextPosition Moved(const LineStore& store, Motion motion, int64_t pageLines) const;

private:
    TextPosition anchor;
    TextPosition caret;
};

}  // namespace util
