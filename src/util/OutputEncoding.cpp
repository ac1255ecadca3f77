#include "util/OutputEncoding.h"

#include <cwctype>

namespace util {
namespace {

const wchar_t* const kNames[] = {L"auto", L"utf-8", L"ansi", L"oem"};
const int kCount = 4;

bool EqualsNoCase(const std::wstring& text, const wchar_t* name) {
    size_t i = 0;
    for (; i < text.size() && name[i]; ++i) {
        if (static_cast<wchar_t>(std::towlower(text[i])) != name[i]) {
            return false;
        }
    }
    return i == text.size() && name[i] == L'\0';
}

}  // namespace

bool OutputEncoding::Parse(const std::wstring& text, Mode& mode) {
    for (int i = 0; i < kCount; ++i) {
        if (EqualsNoCase(text, kNames[i])) {
            mode = static_cast<Mode>(i);
            return true;
        }
    }
    return false;
}

const wchar_t* OutputEncoding::Name(Mode mode) {
    int index = static_cast<int>(mode);
    return index >= 0 && index < kCount ? kNames[index] : kNames[0];
}

}  // namespace util
