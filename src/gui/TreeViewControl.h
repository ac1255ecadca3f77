#pragma once

#include <windows.h>
#include <commctrl.h>

#include "gui/CommonControl.h"
#include "gui/ImageList.h"

namespace gui {

// A tree view with buttons and lines whose items carry a value of their owner's.
class TreeViewControl : public CommonControl {
public:
    TreeViewControl();

    // A root item with the given text and item data; returns its handle.
    HTREEITEM InsertItem(const wchar_t* text, LPARAM itemData);
    // The item data of an item; false when the tree does not know the item.
    bool GetItemParam(HTREEITEM item, LPARAM& itemData);
    // Attaches the images of bitmap 601 when the program has such a resource. Returns 1.
    virtual int LoadImageList();

    ImageList& GetImageList() { return imageList; }

private:
    HBITMAP bitmap;  // handed to the image list, which frees it
    ImageList imageList;
};

}  // namespace gui
