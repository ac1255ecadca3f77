#pragma once

#include <windows.h>

#include "gui/StaticControl.h"
#include "gui/WindowControl.h"
#include "util/String.h"

namespace gui {

// A label above (layout 0) or beside (layout 1) a value control. Without a field of its owner's
// it makes an edit field.
class LabeledFieldControl : public WindowControl {
public:
    enum Layout { LabelAbove = 0, LabelBeside = 1 };

    explicit LabeledFieldControl(const wchar_t* labelText = L"", int layout = LabelAbove);
    ~LabeledFieldControl() override;

    // Sets the field's value.
    void SetText(const wchar_t* value) override;
    void OnCreate() override;
    void OnSize(WPARAM wParam, LPARAM lParam) override;
    // The field taking the focus is told to the parent, which may scroll it into view.
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    int GetHeight() override;
    int GetWidth(int requested) override;

    // Hands over the value control (owned from here on); set it before Create.
    void SetField(WindowControl* value);
    WindowControl* GetField() const { return field; }
    StaticControl& GetLabel() { return label; }
    void SetLabelText(const wchar_t* text) { labelText = text; }
    void SetLayout(int value) { layout = value; }
    // 0: make an edit field when none is set; other values: the owner supplies it.
    void SetFieldKind(int value) { fieldKind = value; }

private:
    int fieldKind;
    int layout;
    String labelText;
    WindowControl* field;  // owned
    StaticControl label;
};

}  // namespace gui
