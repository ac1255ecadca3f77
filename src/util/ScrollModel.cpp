#include "util/ScrollModel.h"

#include <algorithm>

#include "util/LineStore.h"

namespace util {

void ScrollModel::SetGeometry(int pageLines, int widthPixels, int cellPixels, int marginPixels) {
    page = std::max(1, pageLines);
    width = std::max(0, widthPixels);
    cell = std::max(1, cellPixels);
    margin = std::max(0, marginPixels);
    left = std::min(left, MaxLeft());
}

uint64_t ScrollModel::MaxTop(const LineStore& store) const {
    uint64_t lines = static_cast<uint64_t>(page);
    return store.Count() > lines ? store.EndNumber() - lines : store.FirstNumber();
}

void ScrollModel::SetPrefixCells(size_t cells) {
    prefix = cells;
    left = std::min(left, MaxLeft());
}

int ScrollModel::TextStart() const {
    return margin + static_cast<int>(prefix) * cell;
}

int ScrollModel::MaxLeft() const {
    int64_t content = static_cast<int64_t>(widest + prefix + 1) * cell + 2 * margin;
    return static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(INT32_MAX, content - width)));
}

int64_t ScrollModel::VerticalPosition(const LineStore& store) const {
    return static_cast<int64_t>(top - store.FirstNumber());
}

void ScrollModel::NoteWidth(size_t cells) {
    widest = std::max(widest, cells);
}

bool ScrollModel::ScrollTo(const LineStore& store, uint64_t line, int x, bool byUser, bool selecting) {
    line = std::min(std::max(line, store.FirstNumber()), MaxTop(store));
    x = std::min(std::max(x, 0), MaxLeft());
    if (byUser) {
        follow = line == MaxTop(store) && !selecting;
    }
    bool moved = line != top || x != left;
    top = line;
    left = x;
    return moved;
}

bool ScrollModel::ScrollBy(const LineStore& store, int64_t lines, bool selecting) {
    int64_t target = static_cast<int64_t>(top) + lines;
    return ScrollTo(store, target < 0 ? 0 : static_cast<uint64_t>(target), left, true, selecting);
}

void ScrollModel::StoreChanged(const LineStore& store) {
    top = follow ? MaxTop(store) : std::min(std::max(top, store.FirstNumber()), MaxTop(store));
    left = std::min(left, MaxLeft());
}

void ScrollModel::Follow(const LineStore& store) {
    follow = true;
    top = MaxTop(store);
}

void ScrollModel::Reveal(const LineStore& store, TextPosition position) {
    uint64_t lines = static_cast<uint64_t>(page);
    uint64_t line = position.line < top ? position.line : (position.line >= top + lines ? position.line - lines + 1 : top);
    int x = TextStart() + static_cast<int>(std::min<size_t>(position.column, INT32_MAX / cell - prefix - 1)) * cell;
    // A line's start is revealed with its prefix.
    int before = position.column == 0 ? 0 : x - margin;
    int scrolled = before < left ? before : (x + cell > left + width ? x + cell - width : left);
    ScrollTo(store, line, scrolled, false);
}

TextPosition ScrollModel::PositionAt(const LineStore& store, int x, int y, int lineHeight) const {
    lineHeight = std::max(1, lineHeight);
    int64_t row = y >= 0 ? y / lineHeight : -((-static_cast<int64_t>(y) + lineHeight - 1) / lineHeight);
    int64_t line = std::max<int64_t>(0, static_cast<int64_t>(top) + row);
    int64_t column = std::max<int64_t>(0, (static_cast<int64_t>(x) + left - TextStart() + cell / 2) / cell);
    return store.Clamp({static_cast<uint64_t>(line), static_cast<size_t>(column)});
}

void ScrollModel::Reset(const LineStore& store) {
    top = store.FirstNumber();
    left = 0;
    widest = 0;
    follow = true;
}

}  // namespace util
