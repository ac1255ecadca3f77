#pragma once

#include <windows.h>
#include <commctrl.h>

#include "util/Object.h"

namespace gui {

// Owner of one image list of the common controls.
class ImageList : public Object {
public:
    ImageList();
    ImageList(int width, int height, UINT flags, int initial, int grow);
    ~ImageList() override;
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;

    // Makes the list (an earlier one is destroyed).
    void Create(int width, int height, UINT flags, int initial, int grow);
    // Adds the images of a bitmap strip; the list takes the bitmap over. Returns the first index.
    int Add(HBITMAP bitmap);
    // Adds a strip with a mask colour; the bitmap stays the caller's.
    int AddMasked(HBITMAP bitmap, COLORREF mask);
    int GetCount() const;
    HIMAGELIST GetHandle() const { return handle; }

private:
    void Release();

    HIMAGELIST handle;
};

}  // namespace gui
