#include "net/http/HttpMessage.h"

namespace net {
namespace http {

namespace {

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

}  // namespace

bool HeaderNameLess::operator()(const String& a, const String& b) const {
    const wchar_t* x = a.IsNull() ? L"" : a.GetBuffer();
    const wchar_t* y = b.IsNull() ? L"" : b.GetBuffer();
    for (; *x && FoldAscii(*x) == FoldAscii(*y); ++x, ++y) {
    }
    return FoldAscii(*x) < FoldAscii(*y);
}

HttpMessage::HttpMessage() {
    startLine = L"";
}

void HttpMessage::Reset() {
    raw.Reset();
    startLine = L"";
    headers.clear();
}

void HttpMessage::SetHeader(const String& name, const String& value) {
    headers.erase(name);  // the name keeps the spelling of its last setting
    headers.emplace(name, value);
}

String HttpMessage::GetHeader(const wchar_t* name) const {
    HeaderMap::const_iterator found = headers.find(String(name));
    return found == headers.end() ? String() : found->second;
}

}  // namespace http
}  // namespace net
