#pragma once

#include <windows.h>

#include "gui/WindowControl.h"

namespace gui {

// A drop-down list to choose one of fixed items from. Its height is that of the closed box; the
// list that drops down below it is given room of its own when the control is placed.
class ComboBoxControl : public WindowControl {
public:
    ComboBoxControl();

    void SetPosition(int x, int y, int width, int height, UINT flags) override;
    using WindowControl::SetPosition;
    virtual void SetId(int id);

    // Appends an item (after Create); returns its index.
    int AddItem(const wchar_t* text);
    // Selects the item at index; an index out of range leaves nothing selected.
    void Select(int index);
    // The selected item's index, or -1 when none is.
    int GetSelection() const;
};

}  // namespace gui
