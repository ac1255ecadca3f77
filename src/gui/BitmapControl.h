#pragma once

#include <windows.h>

#include "gui/StaticControl.h"

namespace gui {

// A static control that shows an image resource (a bitmap unless a subclass says otherwise).
class BitmapControl : public StaticControl {
public:
    explicit BitmapControl(const wchar_t* className = L"BitmapControl", int resourceId = -1);
    ~BitmapControl() override;

    // Loads the resource (-1: the stored one) and shows it.
    void SetImage(int resourceId = -1);
    void OnSize(WPARAM wParam, LPARAM lParam) override;

    HANDLE GetImage() const { return image; }
    void SetImageSize(int width, int height) {
        imageWidth = width;
        imageHeight = height;
    }
    int GetImageWidth() const { return imageWidth; }
    int GetImageHeight() const { return imageHeight; }

protected:
    void FreeImage(HANDLE old);

    int resourceId;
    HANDLE image;  // owned
    UINT imageType;
    int imageWidth;
    int imageHeight;
};

}  // namespace gui
