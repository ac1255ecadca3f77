#include "FloodText.h"

#include <cstdio>

namespace floodtext {

std::string Lines(size_t bytes) {
    size_t count = bytes / LineBytes > 0 ? bytes / LineBytes : 1;
    std::string text;
    text.reserve(count * LineBytes);
    char number[16];
    for (size_t line = 0; line < count; ++line) {
        snprintf(number, sizeof(number), "%08zu ", line % 100000000);
        text += number;
        for (size_t column = 9; column < 80; ++column) {
            text += static_cast<char>('a' + (line + column) % 26);
        }
        text += "\r\n";
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

std::string Marker(int round) {
    return "==== end of flood " + std::to_string(round) + " ====\r\n";
}

}  // namespace floodtext
