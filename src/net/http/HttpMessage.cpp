#include "net/http/HttpMessage.h"

namespace net {
namespace http {

HttpMessage::HttpMessage() { startLine = L""; }

void HttpMessage::Reset() {
    raw.Reset();
    startLine = L"";
    headers.clear();
}

void HttpMessage::SetHeader(const String& name, const String& value) { headers[name] = value; }

String HttpMessage::GetHeader(const wchar_t* name) const {
    HeaderMap::const_iterator found = headers.find(String(name));
    return found == headers.end() ? String() : found->second;
}

}  // namespace http
}  // namespace net
