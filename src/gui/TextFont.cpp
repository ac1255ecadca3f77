#include "gui/TextFont.h"

namespace gui {

TextFont::TextFont() : font(nullptr), italic(false), bold(false), height(15), faceName(L"Tahoma") {
    className = L"TextFont";
}

TextFont::~TextFont() {
    if (font) {
        DeleteObject(font);
    }
}

HFONT TextFont::CreateFromFields() {
    if (font) {
        DeleteObject(font);
    }
    font = CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : 0, italic, FALSE, FALSE, 0, 0, 0, 0, FF_SWISS,
                       faceName.GetBuffer());
    return font;
}

}  // namespace gui
