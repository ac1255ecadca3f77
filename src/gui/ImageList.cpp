#include "gui/ImageList.h"

namespace gui {

ImageList::ImageList() : handle(nullptr) {
    className = L"ImageList";
}

ImageList::ImageList(int width, int height, UINT flags, int initial, int grow) : handle(nullptr) {
    className = L"ImageList";
    Create(width, height, flags, initial, grow);
}

ImageList::~ImageList() {
    Release();
}

void ImageList::Release() {
    if (handle) {
        ImageList_Destroy(handle);
        handle = nullptr;
    }
}

void ImageList::Create(int width, int height, UINT flags, int initial, int grow) {
    Release();
    handle = ImageList_Create(width, height, flags, initial, grow);
}

int ImageList::Add(HBITMAP bitmap) {
    int index = ImageList_Add(handle, bitmap, nullptr);
    DeleteObject(bitmap);
    return index;
}

int ImageList::AddMasked(HBITMAP bitmap, COLORREF mask) {
    return ImageList_AddMasked(handle, bitmap, mask);
}

int ImageList::GetCount() const {
    return handle ? ImageList_GetImageCount(handle) : 0;
}

}  // namespace gui
