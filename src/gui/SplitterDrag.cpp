#include "gui/SplitterDrag.h"

namespace gui {

bool SplitterDrag::Move(unsigned c, unsigned buttons, int limit) {
    if (IsIgnored(c)) {
        return false;
    }
    // Exactly the left button: a move with another button (or a modifier key) held never drags.
    if (buttons != leftButtonOnly || !dragging || static_cast<int>(c) > limit) {
        return false;
    }
    bool changed = position != static_cast<int>(c);
    position = static_cast<int>(c);
    return changed;
}

bool SplitterDrag::IsOverBar(unsigned c) const {
    int value = static_cast<int>(c);
    return !IsIgnored(c) && position - 2 < value && value < position + 2;
}

}  // namespace gui
