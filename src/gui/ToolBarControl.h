#pragma once

#include <windows.h>

#include "gui/CommonControl.h"
#include "gui/ImageList.h"

namespace gui {

// The toolbar: its images come from the strip of 32 by 32 pixel images in bitmap 205.
class ToolBarControl : public CommonControl {
public:
    static const int bitmapResource = 205;
    static const COLORREF maskColour = RGB(212, 208, 200);

    ToolBarControl();
    ~ToolBarControl() override;

    void OnCreate() override;
    // Makes the image list from bitmap 205 and attaches it.
    void LoadBitmap();

    ImageList& GetImageList() { return imageList; }

private:
    HBITMAP bitmap;  // owned
    ImageList imageList;
};

}  // namespace gui
