#include "FloodText.h"

#include <cstdio>

namespace floodtext {
namespace {

// Colour codes of every kind the view takes: the sixteen colours with bold, 256 colours and true
// colour in both forms, and resets of one attribute or of all.
const char* const ColourCodes[] = {
    "\x1b[31m",          "\x1b[1;92m",      "\x1b[38;5;208m", "\x1b[48;2;30;60;90m", "\x1b[0m",
    "\x1b[4;36m",        "\x1b[38:2::250:200:20m", "\x1b[39;49m", "\x1b[44;97m",   "\x1b[22;24m",
    "\x1b[48;5;17;38;5;231m", "\x1b[m",
};
const size_t ColourCount = sizeof(ColourCodes) / sizeof(ColourCodes[0]);
// One UTF-16 unit each, two and three bytes in UTF-8.
const char* const Wide[] = {"\xc3\xa9", "\xe2\x9c\x93", "\xe2\x94\x80", "\xc3\xbc", "\xe2\x82\xac"};

void AppendLine(std::string& text, size_t line, Kind kind) {
    char number[16];
    snprintf(number, sizeof(number), "%08zu ", line % 100000000);
    text += number;
    // Two codes a line at varying columns: one every 40 shown characters on average.
    size_t firstCode = 9 + line * 13 % 31, secondCode = 49 + line * 17 % 31;
    for (size_t column = 9; column < 80; ++column) {
        if (kind == Kind::Colour && (column == firstCode || column == secondCode)) {
            text += ColourCodes[(2 * line + (column == secondCode ? 1 : 0)) % ColourCount];
        }
        if (kind == Kind::Words && column == 40 && line % WordEvery < 2) {
            text += line % WordEvery == 0 ? SoughtWord : NearWord;  // as wide as the letters it stands for
            column += 5;
        } else if (kind == Kind::Utf8 && column == 40) {
            text += Wide[line % (sizeof(Wide) / sizeof(Wide[0]))];
        } else {
            text += static_cast<char>('a' + (line + column) % 26);
        }
    }
    text += "\r\n";
}

}  // namespace

std::string Lines(size_t bytes, Kind kind) {
    size_t count = bytes / LineBytes > 0 ? bytes / LineBytes : 1;
    std::string text;
    text.reserve(count * (kind == Kind::Plain ? LineBytes : LineBytes + 32));
    for (size_t line = 0; line < count; ++line) {
        AppendLine(text, line, kind);
    }
    return text;
}

std::string LongLine(size_t bytes) {
    std::string text(bytes, 'x');
    for (size_t i = 0; i < bytes; ++i) {
        text[i] = static_cast<char>('a' + i % 26);
    }
    return text + "\r\n";
}

std::string ProgressStep(size_t step, size_t steps) {
    char line[64];
    snprintf(line, sizeof(line), "\rprogress %zu of %zu", step, steps);
    return line;
}

std::string Marker(int round) {
    return "==== end of flood " + std::to_string(round) + " ====\r\n";
}

}  // namespace floodtext
