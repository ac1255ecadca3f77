#pragma once

#include <cstddef>
#include <cstdint>

#include "util/TextPosition.h"

namespace util {

class LineStore;

// Where a view of a LineStore stands: its first line in view (a line number, so the same text
// stays in view when old lines are dropped), its horizontal offset in pixels, and whether it
// follows new output. It follows while the user leaves it at the bottom: a scroll by the user
// anywhere else, or a selection, stops that; a scroll by the user back to the bottom (not while
// selecting) starts it again.
class ScrollModel {
public:
    // The view's size: whole lines in sight, its width in pixels, a character cell's width and
    // the room left and right of the text.
    void SetGeometry(int pageLines, int widthPixels, int cellPixels, int marginPixels);
    int PageLines() const { return page; }
    // Cells drawn in front of every line (the arrival times), scrolled with the text.
    void SetPrefixCells(size_t cells);

    uint64_t Top() const { return top; }
    int Left() const { return left; }
    bool Following() const { return follow; }
    uint64_t MaxTop(const LineStore& store) const;
    int MaxLeft() const;
    // The scroll bar positions: lines below the first held one, and pixels.
    int64_t VerticalPosition(const LineStore& store) const;

    // A line of this many cells was seen (the horizontal range covers the widest since Reset).
    void NoteWidth(size_t cells);
    // Moves the view, held to what exists. byUser: the user asked for it, which decides whether
    // the view follows afterwards (unless selecting). Returns whether the view moved.
    bool ScrollTo(const LineStore& store, uint64_t line, int x, bool byUser, bool selecting = false);
    bool ScrollBy(const LineStore& store, int64_t lines, bool selecting = false);
    // After the store changed: the bottom when following, else the same first line as far as it
    // is still held.
    void StoreChanged(const LineStore& store);
    // The bottom, following again (Ctrl+End).
    void Follow(const LineStore& store);
    void StopFollowing() { follow = false; }
    // Scrolls as little as needed to bring a position into sight.
    void Reveal(const LineStore& store, TextPosition position);
    // The position under a point of the view (held to what exists; outside the view the nearest).
    TextPosition PositionAt(const LineStore& store, int x, int y, int lineHeight) const;
    // An empty view at the top, following.
    void Reset(const LineStore& store);

private:
    uint64_t top = 0;
    int left = 0;
    bool follow = true;
    size_t widest = 0;
    int page = 1;
    int width = 0;
    int cell = 8;
    int margin = 0;
    size_t prefix = 0;

    // Where column 0 of the text lies in the scrolled content, in pixels.
    int TextStart() const;
};

}  // namespace util
