#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "util/ColourPalette.h"
#include "util/LineStore.h"
#include "util/Object.h"

namespace gui {

// Draws lines of styled text in a fixed-pitch font, one cell per UTF-16 unit: the font at a given
// DPI in its bold, italic, underlined and struck-out forms, the colours of the styles (from the
// system's window colours, or only system colours in high contrast), and characters the font
// lacks through Uniscribe's font fallback.
class LinePainter : public Object {
public:
    // Room left of the first column, in cells of a quarter width.
    static const int kMargin = 2;

    LinePainter();
    ~LinePainter() override;
    LinePainter(const LinePainter&) = delete;
    LinePainter& operator=(const LinePainter&) = delete;

    // Makes the fonts for a DPI (they are kept while it stays the same).
    void SetDpi(int dpi);
    int GetDpi() const { return dpi; }
    int CellWidth() const { return cellWidth; }
    int LineHeight() const { return lineHeight; }
    // Reads the system's window and highlight colours and its high-contrast setting again.
    void UpdateColours();
    COLORREF Background() const;
    bool HighContrast() const { return highContrast; }

    // One line at y, scrolled left by left pixels, over width pixels; the columns from selectFrom
    // up to selectTo are shown selected, and a selected line break as one selected cell after the
    // text.
    void Draw(HDC context, const util::StoredLine& line, int y, int left, int width, size_t selectFrom,
              size_t selectTo, bool breakSelected);
    // What stands in front of a line's text (its arrival time), over the cells left of where Draw
    // was told the text starts, in the muted colour of text that is not the output itself.
    void DrawPrefix(HDC context, const std::wstring& prefix, int y, int left);

private:
    struct Piece {
        size_t from;
        size_t to;
        util::TextStyle style;
        bool selected;
    };

    HFONT FontFor(const util::TextStyle& style);
    void ReleaseFonts();
    void DrawPiece(HDC context, const util::StoredLine& line, const Piece& piece, int x, int y);
    void FillCells(HDC context, int x, int y, int right, COLORREF colour);
    static bool NeedsFallback(const wchar_t* text, size_t count);
    // Whether the font selected into context draws text as it does ASCII: every character of a
    // script that needs no shaping and has a glyph in the font.
    bool FontCovers(HDC context, const wchar_t* text, size_t count);

    int dpi;
    int cellWidth;
    int lineHeight;
    HFONT fonts[16];  // owned, made when first needed: by bold, italic, underline, strike
    bool highContrast;
    util::ColourPalette palette;
    COLORREF selectedText;
    COLORREF selectedBackground;
    std::vector<int> advances;  // one cell per unit, reused
    std::wstring shown;         // the piece's text with control characters as spaces, reused
    std::vector<WORD> glyphs;   // the font's glyphs of a piece, reused
};

}  // namespace gui
