#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace util {

// A stretch of a line that is a web address: from start for length characters.
struct LinkSpan {
    size_t start = 0;
    size_t length = 0;
};

// Finds the web addresses in a line of output, so that a view can draw them as links and open one
// that is clicked. Only addresses that begin with "http://" or "https://" (in any letter case, not
// glued to a word before them) are links: no other scheme and no file path ever is, since a click
// must never run anything. An address ends before white space, a quote or an angle bracket; a
// full stop, comma, colon, semicolon, exclamation or question mark at its end is the sentence's,
// and so is a closing bracket that has no opening one inside the address. An address needs
// something after the "//".
//
// Output read in pieces is one line in the line store before it is looked at, so an address cut
// between two reads is still found whole.
class LinkFinder {
public:
    // The links of text, in order; they do not overlap.
    static std::vector<LinkSpan> Find(const std::wstring& text);
    // The link that holds the character at column, if any; false when there is none.
    static bool At(const std::wstring& text, size_t column, LinkSpan& link);

private:
    // The length of a scheme "http://" or "https://" at at, or 0.
    static size_t SchemeAt(const std::wstring& text, size_t at);
    static bool EndsAddress(wchar_t c);
    // How far the address whose scheme ends at afterScheme goes, before its trailing punctuation.
    static size_t AddressEnd(const std::wstring& text, size_t afterScheme);
};

}  // namespace util
