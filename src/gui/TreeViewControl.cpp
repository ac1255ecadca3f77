#include "gui/TreeViewControl.h"

namespace gui {

TreeViewControl::TreeViewControl()
    : CommonControl(L"TreeViewControl"), bitmap(nullptr), imageList(16, 16, ILC_COLORDDB, 3, 10) {
    windowClassName = WC_TREEVIEWW;
    style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SINGLEEXPAND;
    extendedStyle |= WS_EX_CLIENTEDGE;
}

HTREEITEM TreeViewControl::InsertItem(const wchar_t* text, LPARAM itemData) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = nullptr;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_PARAM | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(text);
    insert.item.iImage = 0;
    insert.item.iSelectedImage = 0;
    insert.item.lParam = itemData;
    return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

bool TreeViewControl::GetItemParam(HTREEITEM item, LPARAM& itemData) {
    TVITEMW description = {};
    description.mask = TVIF_HANDLE | TVIF_PARAM;
    description.hItem = item;
    if (!SendMessageW(handle, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&description))) {
        return false;
    }
    itemData = description.lParam;
    return true;
}

int TreeViewControl::LoadImageList() {
    bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(601));
    if (!bitmap) {
        return 1;  // the tree simply has no images
    }
    imageList.Add(bitmap);
    bitmap = nullptr;
    SendMessageW(handle, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(imageList.GetHandle()));
    return 1;
}

}  // namespace gui
