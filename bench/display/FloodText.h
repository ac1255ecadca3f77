#pragma once

#include <string>

// The text of the display benchmark: lines of 80 ASCII columns ending in CRLF, numbered so that
// neighbouring lines differ, and the line that closes each flood.
namespace floodtext {

const size_t LineBytes = 82;

// Whole lines, together at most bytes long (one line at least).
std::string Lines(size_t bytes);
// One line of bytes letters and its CRLF: output with no line break for as long as it lasts.
std::string LongLine(size_t bytes);
// The closing line of flood number round.
std::string Marker(int round);

}  // namespace floodtext
