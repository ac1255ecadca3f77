#pragma once

#include "gui/WindowControl.h"

namespace gui {

// A check box that takes its state and its caption from one text value.
class CheckBoxControl : public WindowControl {
public:
    CheckBoxControl();

    // Checked for "true" in any case or exactly "1", unchecked for anything else; the value also
    // becomes the caption.
    void SetText(const wchar_t* value) override;
    int GetHeight() override;
    virtual void SetId(int id);

    bool IsChecked() const;
    // The state rule on its own.
    static bool MeansChecked(const wchar_t* value);
};

}  // namespace gui
