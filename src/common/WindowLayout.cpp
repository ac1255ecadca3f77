#include "common/WindowLayout.h"

#include <cerrno>
#include <cstdlib>

namespace {

const wchar_t* const kArrangements[] = {L"free", L"tile-vertically", L"tile-horizontally", L"cascade", L"maximized"};
const uint64_t kFnvOffset = 0xcbf29ce484222325ULL;
const uint64_t kFnvPrime = 0x100000001b3ULL;
// Window sizes and positions the system could ever use; anything past them is not a layout.
const long kCoordinateLimit = 1000000;

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::wstring::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

bool ParseInteger(const std::wstring& text, int& value) {
    if (text.empty() || text.size() > 8) {
        return false;
    }
    wchar_t* end = nullptr;
    errno = 0;
    long parsed = std::wcstol(text.c_str(), &end, 10);
    if (errno != 0 || *end != L'\0' || text[0] == L' ' || text[0] == L'+' || parsed > kCoordinateLimit ||
        parsed < -kCoordinateLimit) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

}  // namespace

const LayoutPlacement* WindowLayout::FindChild(const std::wstring& title) const {
    for (const Child& child : children) {
        if (child.title == title) {
            return &child.placement;
        }
    }
    return nullptr;
}

bool WindowLayout::ParseIntegers(const std::wstring& text,
                                 std::vector<std::wstring>& parts,
                                 size_t integers,
                                 std::vector<int>& values) {
    parts = Split(text, L',');
    if (parts.size() != integers + 1) {
        return false;
    }
    values.assign(integers, 0);
    for (size_t index = 0; index < integers; ++index) {
        if (!ParseInteger(parts[index], values[index])) {
            return false;
        }
    }
    return true;
}

std::wstring WindowLayout::PlacementText(const LayoutPlacement& placement) {
    const LayoutRect& r = placement.normal;
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," +
           std::to_wstring(r.bottom) + (placement.maximized ? L",maximized" : L",normal");
}

bool WindowLayout::ParsePlacement(const std::wstring& text, LayoutPlacement& placement) {
    std::vector<std::wstring> parts;
    std::vector<int> values;
    if (!ParseIntegers(text, parts, 4, values) || (parts[4] != L"normal" && parts[4] != L"maximized")) {
        return false;
    }
    // An empty or turned-over rectangle is no place for a window.
    if (values[2] <= values[0] || values[3] <= values[1]) {
        return false;
    }
    placement.normal = {values[0], values[1], values[2], values[3]};
    placement.maximized = parts[4] == L"maximized";
    return true;
}

std::wstring WindowLayout::PanelText(bool shown, int width) {
    return (shown ? L"shown," : L"hidden,") + std::to_wstring(width);
}

bool WindowLayout::ParsePanel(const std::wstring& text, bool& shown, int& width) {
    std::vector<std::wstring> parts = Split(text, L',');
    int parsed = 0;
    if (parts.size() != 2 || (parts[0] != L"shown" && parts[0] != L"hidden") || !ParseInteger(parts[1], parsed) ||
        parsed < 0) {
        return false;
    }
    shown = parts[0] == L"shown";
    width = parsed;
    return true;
}

std::wstring WindowLayout::ArrangementText(Arrangement arrangement) {
    return kArrangements[static_cast<int>(arrangement)];
}

bool WindowLayout::ParseArrangement(const std::wstring& text, Arrangement& arrangement) {
    for (int index = 0; index < static_cast<int>(sizeof(kArrangements) / sizeof(kArrangements[0])); ++index) {
        if (text == kArrangements[index]) {
            arrangement = static_cast<Arrangement>(index);
            return true;
        }
    }
    return false;
}

std::wstring WindowLayout::Escaped(const std::wstring& title) {
    std::wstring text;
    for (wchar_t c : title) {
        switch (c) {
            case L'\\':
                text += L"\\\\";
                break;
            case L'\t':
                text += L"\\t";
                break;
            case L'\r':
                text += L"\\r";
                break;
            case L'\n':
                text += L"\\n";
                break;
            default:
                text += c;
        }
    }
    return text;
}

bool WindowLayout::Unescaped(const std::wstring& text, std::wstring& title) {
    title.clear();
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != L'\\') {
            title += text[at];
            continue;
        }
        if (++at == text.size()) {
            return false;
        }
        switch (text[at]) {
            case L'\\':
                title += L'\\';
                break;
            case L't':
                title += L'\t';
                break;
            case L'r':
                title += L'\r';
                break;
            case L'n':
                title += L'\n';
                break;
            default:
                return false;
        }
    }
    return true;
}

std::wstring WindowLayout::ChildrenText(const std::vector<Child>& children) {
    std::wstring text;
    for (const Child& child : children) {
        text += PlacementText(child.placement) + L"\t" + Escaped(child.title) + L"\n";
    }
    return text;
}

std::vector<WindowLayout::Child> WindowLayout::ParseChildren(const std::wstring& text) {
    WindowLayout seen;
    for (const std::wstring& line : Split(text, L'\n')) {
        size_t tab = line.find(L'\t');
        Child child;
        if (tab == std::wstring::npos || !ParsePlacement(line.substr(0, tab), child.placement) ||
            !Unescaped(line.substr(tab + 1), child.title) || seen.FindChild(child.title)) {
            continue;
        }
        seen.children.push_back(child);
    }
    return seen.children;
}

uint64_t WindowLayout::Fnv1a(const std::wstring& text) {
    uint64_t hash = kFnvOffset;
    for (wchar_t c : text) {
        unsigned unit = static_cast<unsigned>(c) & 0xFFFFu;  // UTF-16 code units, also where wchar_t is wider
        for (unsigned byte : {unit & 0xFFu, unit >> 8}) {
            hash ^= byte;
            hash *= kFnvPrime;
        }
    }
    return hash;
}

std::wstring WindowLayout::KeyName(const std::wstring& loweredPath) {
    static const wchar_t digits[] = L"0123456789abcdef";
    uint64_t hash = Fnv1a(loweredPath);
    std::wstring name(16, L'0');
    for (int index = 15; index >= 0; --index, hash >>= 4) {
        name[static_cast<size_t>(index)] = digits[hash & 0xF];
    }
    return name;
}
