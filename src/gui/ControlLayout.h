#pragma once

namespace gui {

// Where a control goes inside its parent's client area.
struct Placement {
    int x;
    int y;
    int width;
    int height;
};

// The sizing rules of the framework's controls, kept apart from any window so that they can be
// exercised without one: the width rule of every control, the row of a radio group, the two
// arrangements of a labelled field and the two panes of a splitter.
class ControlLayout {
public:
    // A request of 0 yields the maximum; a request above a positive maximum yields the maximum.
    static int ClampWidth(int requested, int maximumWidth);

    // Button index of count buttons spread over a group box clientWidth wide: 20 pixels of margin
    // on either side, equal widths, a row at y = 20 that is 24 high.
    static Placement RadioButton(int clientWidth, int count, int index);

    // Labelled field: layout 0 puts the label above the field, layout 1 beside it.
    static int LabeledFieldHeight(int layout, bool hasField, int labelHeight, int fieldHeight);
    // labelWidth and fieldWidth are the two controls' answers to the same request.
    static int LabeledFieldWidth(int layout, bool hasField, int labelWidth, int fieldWidth, int requested);
    // Half of the inner width, for layout 1 (the label's GetWidth of it places the field).
    static int LabeledFieldHalf(int clientWidth);
    // Places label and field inside a client clientWidth by clientHeight, inset by 5. labelWidthOfHalf
    // is the label's GetWidth for LabeledFieldHalf (layout 1 only). False for an unknown layout.
    static bool LabeledField(int layout, int clientWidth, int labelHeight, int fieldHeight, int labelWidthOfHalf,
                             Placement& label, Placement& field);

    // The panes left and right (orientation 0) or above and below (orientation 1) of a 4 pixel bar
    // centred on position.
    static void SplitterPanes(int orientation, int position, int clientWidth, int clientHeight, Placement& first,
                              Placement& second);
};

}  // namespace gui
