#pragma once

#include <windows.h>

#include "util/Object.h"
#include "util/String.h"

namespace gui {

// The description of a font and, once its owner made it, the font itself (owned).
class TextFont : public Object {
public:
    TextFont();
    ~TextFont() override;
    TextFont(const TextFont&) = delete;
    TextFont& operator=(const TextFont&) = delete;

    // Makes the font from the fields (an earlier one is deleted) and returns it.
    HFONT CreateFromFields();

    HFONT font;
    bool italic;
    bool bold;
    int height;
    String faceName;
};

}  // namespace gui
