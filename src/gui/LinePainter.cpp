#include "gui/LinePainter.h"

#include <usp10.h>

#include <algorithm>

namespace gui {

namespace {

const int kPointSize = 10;
const int kFontKinds = 16;

uint32_t ToRgb(COLORREF colour) {
    return static_cast<uint32_t>(GetRValue(colour)) << 16 | static_cast<uint32_t>(GetGValue(colour)) << 8 |
           GetBValue(colour);
}

COLORREF ToColorRef(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

bool HighContrastOn() {
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

int FontIndex(const util::TextStyle& style) {
    using util::TextStyle;
    return (style.Has(TextStyle::Bold) ? 1 : 0) | (style.Has(TextStyle::Italic) ? 2 : 0) |
           (style.Has(TextStyle::Underline) ? 4 : 0) | (style.Has(TextStyle::Strike) ? 8 : 0);
}

// Characters drawn one to a cell without shaping: Latin, Greek and Cyrillic letters, punctuation,
// symbols, arrows, box drawing and dingbats. Not combining marks, format characters (soft hyphen,
// joiners, direction marks, separators) nor any script that is shaped or written right to left.
bool IsUnshaped(wchar_t c) {
    if (c < 0x300) {
        return c != 0xAD;
    }
    if (c >= 0x2000 && c < 0x2C00) {
        return !(c >= 0x200B && c <= 0x200F) && !(c >= 0x2028 && c <= 0x202E) && !(c >= 0x2060 && c <= 0x206F) &&
               !(c >= 0x20D0 && c <= 0x20FF);
    }
    return (c >= 0x370 && c < 0x483) || (c >= 0x48A && c < 0x530) || (c >= 0x1E00 && c < 0x1F00);
}

}  // namespace

LinePainter::LinePainter()
    : dpi(0),
      cellWidth(8),
      lineHeight(16),
      fonts(),
      highContrast(false),
      palette(0, 0xFFFFFF, false),
      selectedText(0),
      selectedBackground(0) {
    className = L"LinePainter";
    UpdateColours();
}

LinePainter::~LinePainter() {
    ReleaseFonts();
}

void LinePainter::ReleaseFonts() {
    for (HFONT& font : fonts) {
        if (font) {
            DeleteObject(font);
            font = nullptr;
        }
    }
}

void LinePainter::SetDpi(int value) {
    if (value == dpi && fonts[0]) {
        return;
    }
    ReleaseFonts();
    dpi = value > 0 ? value : 96;
    util::TextStyle plain;
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, FontFor(plain));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    cellWidth = std::max(1, static_cast<int>(metrics.tmAveCharWidth));
    lineHeight = std::max(1, static_cast<int>(metrics.tmHeight));
}

HFONT LinePainter::FontFor(const util::TextStyle& style) {
    int index = FontIndex(style);
    if (!fonts[index]) {
        // The font mapper's fixed-pitch face of the modern family: the system's own where the
        // first choice is missing.
        LOGFONTW description = {};
        description.lfHeight = -MulDiv(kPointSize, dpi ? dpi : 96, 72);
        description.lfWeight = (index & 1) ? FW_BOLD : FW_NORMAL;
        description.lfItalic = (index & 2) ? TRUE : FALSE;
        description.lfUnderline = (index & 4) ? TRUE : FALSE;
        description.lfStrikeOut = (index & 8) ? TRUE : FALSE;
        description.lfCharSet = DEFAULT_CHARSET;
        description.lfQuality = CLEARTYPE_QUALITY;
        description.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        lstrcpynW(description.lfFaceName, L"Consolas", LF_FACESIZE);
        fonts[index] = CreateFontIndirectW(&description);
    }
    return fonts[index] ? fonts[index] : static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
}

void LinePainter::UpdateColours() {
    highContrast = HighContrastOn();
    palette = util::ColourPalette(ToRgb(GetSysColor(COLOR_WINDOWTEXT)), ToRgb(GetSysColor(COLOR_WINDOW)), highContrast);
    selectedText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    selectedBackground = GetSysColor(COLOR_HIGHLIGHT);
}

COLORREF LinePainter::Background() const {
    return GetSysColor(COLOR_WINDOW);
}

void LinePainter::FillCells(HDC context, int x, int y, int right, COLORREF colour) {
    if (right <= x) {
        return;
    }
    RECT area = {x, y, right, y + lineHeight};
    SetBkColor(context, colour);
    ExtTextOutW(context, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

void LinePainter::Draw(HDC context, const util::StoredLine& line, int y, int left, int width, size_t selectFrom,
                       size_t selectTo, bool breakSelected) {
    int origin = kMargin - left;
    size_t length = line.text.size();
    size_t firstColumn = left > kMargin ? static_cast<size_t>((left - kMargin) / cellWidth) : 0;
    size_t endColumn = std::min(length, static_cast<size_t>((left + width) / cellWidth + 1));
    // Pieces of one style and one selection state, cut at run and selection boundaries.
    size_t run = 0;  // the first run that starts after the column
    for (size_t column = firstColumn; column < endColumn;) {
        while (run < line.runs.size() && line.runs[run].start <= column) {
            ++run;
        }
        size_t stop = run < line.runs.size() ? std::min<size_t>(endColumn, line.runs[run].start) : endColumn;
        bool selected = column >= selectFrom && column < selectTo;
        if (selected) {
            stop = std::min(stop, selectTo);
        } else if (selectFrom > column) {
            stop = std::min(stop, selectFrom);
        }
        Piece piece = {column, stop, run > 0 ? line.runs[run - 1].style : util::TextStyle(), selected};
        DrawPiece(context, line, piece, origin + static_cast<int>(column) * cellWidth, y);
        column = stop;
    }
    // Where the drawn text ends; left of the view when the line ends before the first column.
    int end = origin + static_cast<int>(endColumn) * cellWidth;
    if (breakSelected && endColumn == length) {
        FillCells(context, end, y, end + cellWidth, selectedBackground);
        end += cellWidth;
    }
    FillCells(context, std::max(end, 0), y, width, Background());
}

void LinePainter::DrawPrefix(HDC context, const std::wstring& prefix, int y, int left) {
    int x = kMargin - left;
    int end = x + static_cast<int>(prefix.size()) * cellWidth;
    if (end <= 0) {
        return;
    }
    advances.assign(prefix.size(), cellWidth);
    HGDIOBJ previous = SelectObject(context, FontFor(util::TextStyle()));
    SetTextColor(context, GetSysColor(COLOR_GRAYTEXT));
    SetBkColor(context, Background());
    RECT area = {0, y, end, y + lineHeight};
    ExtTextOutW(context, x, y, ETO_OPAQUE | ETO_CLIPPED, &area, prefix.data(), static_cast<UINT>(prefix.size()),
                advances.data());
    SelectObject(context, previous);
}

bool LinePainter::NeedsFallback(const wchar_t* text, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (text[i] >= 0x80) {
            return true;
        }
    }
    return false;
}

bool LinePainter::FontCovers(HDC context, const wchar_t* text, size_t count) {
    if (!std::all_of(text, text + count, IsUnshaped)) {
        return false;
    }
    glyphs.resize(count);
    return GetGlyphIndicesW(context, text, static_cast<int>(count), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) ==
               static_cast<DWORD>(count) &&
           std::find(glyphs.begin(), glyphs.end(), static_cast<WORD>(0xFFFF)) == glyphs.end();
}

void LinePainter::DrawPiece(HDC context, const util::StoredLine& line, const Piece& piece, int x, int y) {
    size_t count = piece.to - piece.from;
    shown.assign(line.text, piece.from, count);
    std::replace_if(shown.begin(), shown.end(), [](wchar_t c) { return c < 0x20; }, L' ');
    advances.assign(count, cellWidth);
    util::DrawColours colours = palette.Resolve(piece.style);
    COLORREF text = piece.selected ? selectedText : ToColorRef(colours.foreground);
    COLORREF background = piece.selected ? selectedBackground : ToColorRef(colours.background);
    HGDIOBJ previous = SelectObject(context, FontFor(piece.style));
    SetTextColor(context, text);
    SetBkColor(context, background);
    RECT area = {x, y, x + static_cast<int>(count) * cellWidth, y + lineHeight};
    SCRIPT_STRING_ANALYSIS analysis = nullptr;
    // Uniscribe's analysis costs a flood of accented lines more than their text: only for pieces
    // that the font alone cannot draw.
    if (NeedsFallback(shown.data(), count) && !FontCovers(context, shown.data(), count) &&
        SUCCEEDED(ScriptStringAnalyse(context, shown.data(), static_cast<int>(count), static_cast<int>(count * 3 / 2 + 16),
                                      -1, SSA_GLYPHS | SSA_FALLBACK, 0, nullptr, nullptr, advances.data(), nullptr,
                                      nullptr, &analysis))) {
        // Characters the font lacks come from another font, each still in its own cell.
        ExtTextOutW(context, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
        ScriptStringOut(analysis, x, y, ETO_CLIPPED, &area, 0, 0, FALSE);
        ScriptStringFree(&analysis);
    } else {
        ExtTextOutW(context, x, y, ETO_OPAQUE | ETO_CLIPPED, &area, shown.data(), static_cast<UINT>(count),
                    advances.data());
    }
    SelectObject(context, previous);
}

}  // namespace gui
