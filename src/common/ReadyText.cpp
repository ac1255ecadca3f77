#include "common/ReadyText.h"

#include <utility>

ReadyText::ReadyText(std::wstring text) : text(std::move(text)), found(false) {}

void ReadyText::Reset() {
    tail.clear();
    found = false;
}

bool ReadyText::Feed(const wchar_t* output, size_t length) {
    if (found || text.empty()) {
        return found;
    }
    size_t begin = 0;
    for (;;) {
        size_t end = begin;
        while (end < length && output[end] != L'\r' && output[end] != L'\n') {
            ++end;
        }
        tail.append(output + begin, end - begin);
        if (tail.find(text) != std::wstring::npos) {
            found = true;
            tail.clear();
            return true;
        }
        if (end == length) {
            break;
        }
        tail.clear();  // a line break: the text cannot reach across it
        begin = end + 1;
    }
    // Only the last characters can still begin the text with what the next read brings.
    if (tail.size() >= text.size()) {
        tail.erase(0, tail.size() - (text.size() - 1));
    }
    return false;
}
