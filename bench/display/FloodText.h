#pragma once

#include <string>

// The text of the display benchmark: lines of 80 columns ending in CRLF, numbered so that
// neighbouring lines differ, and the line that closes each flood. Every kind of flood shows the
// same characters, so that the view's length tells when any of them is in.
namespace floodtext {

const size_t LineBytes = 82;  // the characters a plain line shows, its CRLF included

// The word the find benchmark looks for, and one that shares all but its last letter with it, so
// that typing that letter changes the count.
const char* const SoughtWord = "needle";
const char* const NearWord = "needly";
const size_t WordEvery = 48;

enum class Kind {
    Plain = 0,
    LongLine = 1,  // one line of the given length
    Colour = 2,    // plain lines with a colour code about every 40 characters
    Utf8 = 3,      // plain lines with one non-ASCII character each, in UTF-8
    Progress = 4,  // one progress line rewritten the given number of times
    Words = 5,     // plain lines, one in WordEvery with SoughtWord in it and another with NearWord
};

// Whole lines showing, together, at most bytes characters (one line at least).
std::string Lines(size_t bytes, Kind kind = Kind::Plain);
// One line of bytes letters and its CRLF: output with no line break for as long as it lasts.
std::string LongLine(size_t bytes);
// The line of a progress counter at step of steps, as its writer sends it: a bare CR first, no
// line end, so that every step writes over the one before.
std::string ProgressStep(size_t step, size_t steps);
// The closing line of flood number round.
std::string Marker(int round);

}  // namespace floodtext
