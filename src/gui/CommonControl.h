#pragma once

#include "gui/WindowControl.h"

namespace gui {

// A control of the common-controls library, which is initialised once per process (a failed
// initialisation is tried again by the next construction).
class CommonControl : public WindowControl {
public:
    explicit CommonControl(const wchar_t* className);

    static bool IsLibraryInitialised() { return initialised; }

private:
    static bool initialised;
};

}  // namespace gui
