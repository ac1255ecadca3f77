#include "gui/IconControl.h"

namespace gui {

IconControl::IconControl(int resourceId) : BitmapControl(L"IconControl", resourceId) {
    style |= SS_ICON;
    imageType = IMAGE_ICON;
}

}  // namespace gui
