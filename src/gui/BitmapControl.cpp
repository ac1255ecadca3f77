#include "gui/BitmapControl.h"

#include "util/Exception.h"

namespace gui {

BitmapControl::BitmapControl(const wchar_t* className, int resourceId)
    : StaticControl(className), resourceId(resourceId), image(nullptr), imageType(IMAGE_BITMAP), imageWidth(-1),
      imageHeight(-1) {}

BitmapControl::~BitmapControl() {
    FreeImage(image);
}

void BitmapControl::SetImage(int id) {
    if (id == -1) {
        id = resourceId;
    }
    if (id == -1) {
        throw new Exception(L"BitmapControl::SetImage(-1) - No resource id has been specified.");
    }
    resourceId = id;
    HANDLE loaded = LoadImageW(instance, MAKEINTRESOURCEW(id), imageType, 0, 0, LR_DEFAULTSIZE);
    if (!loaded) {
        return;
    }
    HANDLE previous = image;
    image = loaded;
    SendMessageW(handle, STM_SETIMAGE, imageType, reinterpret_cast<LPARAM>(image));
    // The control shows the new image from here on; the old one is ours to free.
    FreeImage(previous);
}

void BitmapControl::FreeImage(HANDLE old) {
    if (!old) {
        return;
    }
    if (imageType == IMAGE_ICON) {
        DestroyIcon(static_cast<HICON>(old));
    } else {
        DeleteObject(old);
    }
}

void BitmapControl::OnSize(WPARAM, LPARAM) {
    if (image) {
        SendMessageW(handle, STM_SETIMAGE, imageType, reinterpret_cast<LPARAM>(image));
    }
}

}  // namespace gui
