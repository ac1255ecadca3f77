#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A rectangle in the system's coordinates (right and bottom are past the last pixel).
struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const LayoutRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
    bool operator!=(const LayoutRect& other) const { return !(*this == other); }
};

// Where a window goes when it is not maximised, and whether it is.
struct LayoutPlacement {
    LayoutRect normal;
    bool maximized = false;

    bool operator==(const LayoutPlacement& other) const {
        return normal == other.normal && maximized == other.maximized;
    }
    bool operator!=(const LayoutPlacement& other) const { return !(*this == other); }
};

// What the frame looked like for one configuration file: its placement, the panel, how the
// process windows were arranged and where each of them was, by title. Turns into the text of the
// registry values it is kept in and back; text that does not parse is left out, never guessed at.
class WindowLayout {
public:
    enum class Arrangement { Free, TileVertically, TileHorizontally, Cascade, Maximized };
    struct Child {
        std::wstring title;
        LayoutPlacement placement;
    };

    bool hasFrame = false;
    LayoutPlacement frame;
    bool hasPanel = false;
    bool panelShown = false;
    int panelWidth = 0;
    Arrangement arrangement = Arrangement::Free;
    std::vector<Child> children;  // in the client's order, the top one first

    // The remembered placement of the window of this title (exact letters), or null.
    const LayoutPlacement* FindChild(const std::wstring& title) const;

    // "left,top,right,bottom,normal" or "...,maximized".
    static std::wstring PlacementText(const LayoutPlacement& placement);
    static bool ParsePlacement(const std::wstring& text, LayoutPlacement& placement);
    // "shown,220" or "hidden,220".
    static std::wstring PanelText(bool shown, int width);
    static bool ParsePanel(const std::wstring& text, bool& shown, int& width);
    // "free", "tile-vertically", "tile-horizontally", "cascade" or "maximized".
    static std::wstring ArrangementText(Arrangement arrangement);
    static bool ParseArrangement(const std::wstring& text, Arrangement& arrangement);
    // One line per window: its placement, a tab, its title with backslash, tab, CR and LF escaped.
    static std::wstring ChildrenText(const std::vector<Child>& children);
    // Lines that do not parse are skipped; a later line of a title already seen is too.
    static std::vector<Child> ParseChildren(const std::wstring& text);

    // The name of a configuration's key: the 64-bit FNV-1a hash of its path (already lower-cased
    // by the caller, who knows the system's letter case rules) over its UTF-16LE bytes, in 16
    // lower-case hexadecimal digits.
    static std::wstring KeyName(const std::wstring& loweredPath);
    static uint64_t Fnv1a(const std::wstring& text);

private:
    static std::wstring Escaped(const std::wstring& title);
    static bool Unescaped(const std::wstring& text, std::wstring& title);
    // Splits text at commas; every part must be a whole decimal integer.
    static bool ParseIntegers(const std::wstring& text,
                              std::vector<std::wstring>& parts,
                              size_t integers,
                              std::vector<int>& values);
};
