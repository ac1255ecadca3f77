#include "util/String.h"

#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <utility>

#include "util/Platform.h"
#include "util/TextFormat.h"

namespace {

wchar_t* CopyText(const wchar_t* source, size_t count) {
    wchar_t* copy = new wchar_t[count + 1];
    if (count) {
        std::wmemcpy(copy, source, count);
    }
    copy[count] = L'\0';
    return copy;
}

bool AsciiEqualNoCase(wchar_t a, wchar_t b) {
    if (a >= L'A' && a <= L'Z') {
        a = static_cast<wchar_t>(a - L'A' + L'a');
    }
    if (b >= L'A' && b <= L'Z') {
        b = static_cast<wchar_t>(b - L'A' + L'a');
    }
    return a == b;
}

}  // namespace

String::String() : text(nullptr), utf8(nullptr), length(0) { className = L"String"; }

String::String(const wchar_t* source) : String() {
    if (source) {
        Assign(source, std::wcslen(source));
    }
}

String::String(const String& other) : String() {
    if (other.text) {
        Assign(other.text, other.length);
    }
}

String::String(String&& other) noexcept : String() {
    std::swap(text, other.text);
    std::swap(utf8, other.utf8);
    std::swap(length, other.length);
}

String::String(const char* bytes, size_t count) : String() {
    className = L"Object";
    std::string copy(bytes ? bytes : "", bytes ? count : 0);
    AssignAnsi(copy.c_str());
}

String::~String() { Release(); }

void String::Release() {
    delete[] text;
    delete[] utf8;
    text = nullptr;
    utf8 = nullptr;
    length = 0;
}

void String::Assign(const wchar_t* source, size_t count) {
    wchar_t* copy = CopyText(source, count);  // copy first: source may point into our own text
    Release();
    text = copy;
    length = count;
}

String& String::operator=(const wchar_t* source) {
    if (source == text) {
        return *this;
    }
    if (source) {
        Assign(source, std::wcslen(source));
    } else {
        Release();
    }
    return *this;
}

String& String::operator=(String other) {
    std::swap(text, other.text);
    std::swap(utf8, other.utf8);
    std::swap(length, other.length);
    return *this;
}

void String::AssignAnsi(const char* bytes) {
    if (!bytes) {
        Release();
        return;
    }
    // The length is that of the converted text: a double-byte character is one unit, not two.
    std::wstring wide = platform::AnsiToWide(bytes, std::strlen(bytes));
    Assign(wide.c_str(), wide.size());
}

const wchar_t* String::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
    return text;
}

const wchar_t* String::FormatV(const wchar_t* format, va_list args) {
    std::wstring result = util::FormatText(format, args);
    Assign(result.c_str(), result.size());
    return text;
}

void String::Append(const wchar_t* source) {
    if (!source) {
        return;
    }
    if (!text) {
        Assign(source, std::wcslen(source));
        return;
    }
    size_t extra = std::wcslen(source);
    wchar_t* joined = new wchar_t[length + extra + 1];
    std::wmemcpy(joined, text, length);
    std::wmemcpy(joined + length, source, extra);
    joined[length + extra] = L'\0';
    size_t newLength = length + extra;
    Release();
    text = joined;
    length = newLength;
}

void String::AppendFormat(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring result = util::FormatText(format, args);
    va_end(args);
    Append(result.c_str());
}

bool String::Equals(const wchar_t* other) const {
    if (!text || !other) {
        return !text && !other;
    }
    return std::wcscmp(text, other) == 0;
}

bool String::Equals(const String& other) const {
    if (!text || !other.text) {
        return !text && !other.text;
    }
    return length == other.length && std::wmemcmp(text, other.text, length) == 0;
}

int String::FindLast(const wchar_t* what) const {
    if (!text || !what) {
        return -1;
    }
    size_t n = std::wcslen(what);
    if (n > length) {
        return -1;
    }
    for (size_t i = length - n + 1; i-- > 0;) {
        if (std::wmemcmp(text + i, what, n) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool String::SubString(String& target, int start, int count) const {
    if (start < 0 || start > GetLength()) {
        target.Release();
        return false;
    }
    size_t available = static_cast<size_t>(GetLength()) - static_cast<size_t>(start);
    size_t take = (count < 0 || static_cast<size_t>(count) > available) ? available : static_cast<size_t>(count);
    if (count == 0 || take == 0) {
        target.Release();
        return true;
    }
    target.Assign(text + start, take);  // Assign copies before releasing, so target may be *this
    return true;
}

void String::Truncate(int index) {
    if (text && index >= 0 && static_cast<size_t>(index) < length) {
        std::wstring head(text, static_cast<size_t>(index));
        Assign(head.c_str(), head.size());
    }
}

bool String::EndsWith(const wchar_t* suffix) const {
    if (!text || !suffix) {
        return false;
    }
    size_t n = std::wcslen(suffix);
    return n <= length && std::wmemcmp(text + length - n, suffix, n) == 0;
}

bool String::EndsWithNoCase(const wchar_t* suffix) const {
    if (!text || !suffix) {
        return false;
    }
    size_t n = std::wcslen(suffix);
    if (n > length) {
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        if (!AsciiEqualNoCase(text[length - n + i], suffix[i])) {
            return false;
        }
    }
    return true;
}

bool String::EqualsNoCase(const wchar_t* other) const {
    if (!text || !other) {
        return !text && !other;
    }
    return std::wcslen(other) == length && EndsWithNoCase(other);
}

int String::Replace(const wchar_t* from, const wchar_t* to) {
    if (!text || !from || !*from) {
        return 0;
    }
    size_t n = std::wcslen(from);
    std::wstring result;
    int replaced = 0;
    size_t i = 0;
    while (i < length) {
        if (i + n <= length && std::wmemcmp(text + i, from, n) == 0) {
            if (to) {
                result += to;
            }
            i += n;
            ++replaced;
        } else {
            result += text[i++];
        }
    }
    if (replaced) {
        Assign(result.c_str(), result.size());
    }
    return replaced;
}

bool String::Split(const wchar_t* separator, String** parts, int* count) const {
    if (!text || !separator || !*separator || !parts || !count) {
        return false;
    }
    std::wstring all(text, length);
    std::wstring sep(separator);
    if (all.find(sep) == std::wstring::npos) {
        *count = 1;
        *parts = new String[2];
        (*parts)[0] = text;
        return true;
    }
    int n = 0;
    for (size_t pos = 0; pos < all.size();) {
        size_t next = all.find(sep, pos);
        pos = next == std::wstring::npos ? all.size() : next + sep.size();
        ++n;
    }
    *count = n;
    *parts = new String[static_cast<size_t>(n) + 1];
    size_t pos = 0;
    for (int k = 0; k < n; ++k) {
        size_t next = all.find(sep, pos);
        size_t end = next == std::wstring::npos ? all.size() : next;
        std::wstring part = all.substr(pos, end - pos);
        (*parts)[k] = part.c_str();
        pos = end + sep.size();
    }
    return true;
}

const char* String::GetUTF8() {
    delete[] utf8;
    utf8 = nullptr;
    if (!text) {
        return nullptr;
    }
    std::string bytes = platform::WideToUtf8(text, length);
    utf8 = new char[bytes.size() + 1];
    std::memcpy(utf8, bytes.c_str(), bytes.size() + 1);
    return utf8;
}

bool String::operator<(const String& other) const {
    // Null sorts before every text; the program only orders non-null Strings.
    if (!text || !other.text) {
        return !text && other.text;
    }
    size_t n = length < other.length ? length : other.length;
    for (size_t i = 0; i < n; ++i) {
        unsigned a = static_cast<unsigned>(text[i]) & 0xFFFFu;
        unsigned b = static_cast<unsigned>(other.text[i]) & 0xFFFFu;
        if (a != b) {
            return a < b;
        }
    }
    return length < other.length;
}
