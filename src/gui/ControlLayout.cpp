#include "gui/ControlLayout.h"

#include <algorithm>

namespace gui {

int ControlLayout::ClampWidth(int requested, int maximumWidth) {
    if (requested == 0) {
        return maximumWidth;
    }
    if (maximumWidth > 0 && requested > maximumWidth) {
        return maximumWidth;
    }
    return requested;
}

Placement ControlLayout::RadioButton(int clientWidth, int count, int index) {
    int width = count > 0 ? (clientWidth - 40) / count : 0;
    return Placement{20 + index * width, 20, width, 24};
}

int ControlLayout::LabeledFieldHeight(int layout, bool hasField, int labelHeight, int fieldHeight) {
    if (!hasField) {
        return 0;
    }
    switch (layout) {
        case 0:
            return labelHeight + fieldHeight + 15;
        case 1:
            return std::max(labelHeight, fieldHeight);
        default:
            return 0;
    }
}

int ControlLayout::LabeledFieldWidth(int layout, bool hasField, int labelWidth, int fieldWidth, int requested) {
    if (!hasField) {
        return 0;
    }
    int width;
    switch (layout) {
        case 0:
            width = std::max(labelWidth, fieldWidth) + 10;
            break;
        case 1:
            width = labelWidth + 15 + fieldWidth;
            break;
        default:
            width = requested;
            break;
    }
    return requested != 0 ? std::min(width, requested) : width;
}

int ControlLayout::LabeledFieldHalf(int clientWidth) {
    return (clientWidth - 10 - 5) / 2;
}

bool ControlLayout::LabeledField(int layout, int clientWidth, int labelHeight, int fieldHeight, int labelWidthOfHalf,
                                 Placement& label, Placement& field) {
    const int left = 5;
    const int top = 5;
    const int width = clientWidth - 10;
    if (layout == 0) {
        label = Placement{left, top, width, labelHeight};
        field = Placement{left, top + labelHeight + 5, width, fieldHeight};
        return true;
    }
    if (layout == 1) {
        int half = LabeledFieldHalf(clientWidth);
        label = Placement{left, top, half, labelHeight};
        field = Placement{left + 5 + labelWidthOfHalf, top, half, fieldHeight};
        return true;
    }
    return false;
}

void ControlLayout::SplitterPanes(int orientation, int position, int clientWidth, int clientHeight, Placement& first,
                                  Placement& second) {
    if (orientation == 0) {
        first = Placement{0, 0, position - 2, clientHeight};
        second = Placement{position + 2, 0, clientWidth - position - 2, clientHeight};
    } else {
        first = Placement{0, 0, clientWidth, position - 2};
        second = Placement{0, position + 2, clientWidth, clientHeight - position - 2};
    }
}

}  // namespace gui
