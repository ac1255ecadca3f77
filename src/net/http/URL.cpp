#include "net/http/URL.h"

#include <cwchar>

#include "net/http/HexUtils.h"
#include "util/Exception.h"

namespace net {
namespace http {

URL::URL(const wchar_t* text) : String(text ? text : L"") {
    className = L"URL";
    Replace(L" ", L"+");
    host = L"";
    path = L"";
}

int URL::Find(const wchar_t* what, int from) const {
    const wchar_t* all = GetBuffer();
    if (!all || from < 0 || from > GetLength()) {
        return -1;
    }
    const wchar_t* hit = std::wcsstr(all + from, what);
    return hit ? static_cast<int>(hit - all) : -1;
}

URL::Parts URL::Locate() const {
    Parts parts{-1, -1, -1};
    int scheme = Find(L"://", 0);
    if (scheme < 0) {
        return parts;
    }
    parts.start = scheme + 3;
    parts.colon = Find(L":", parts.start);
    parts.slash = Find(L"/", parts.start);
    return parts;
}

String URL::getProtocol() const {
    String protocol(L"");
    int scheme = Find(L"://", 0);
    if (scheme >= 0) {
        SubString(protocol, 0, scheme + 3);
    }
    return protocol;
}

bool URL::isHttp() const {
    String protocol = getProtocol();
    return protocol.GetLength() == 7 && protocol.EndsWithNoCase(L"http://");
}

const String& URL::getHost() {
    Parts parts = Locate();
    if (parts.start < 0) {
        throw new Exception(L"host part could not be extracted from %s", GetBuffer());
    }
    // A colon before the first slash (or with no slash at all) introduces a port; a colon
    // after the slash belongs to the path.
    int end = GetLength();
    if (parts.colon >= 0 && (parts.slash < 0 || parts.slash > parts.colon)) {
        end = parts.colon;
    } else if (parts.slash >= 0) {
        end = parts.slash;
    }
    SubString(host, parts.start, end - parts.start);
    if (host.IsNull()) {
        host = L"";
    }
    return host;
}

int URL::getPort() {
    Parts parts = Locate();
    if (parts.slash >= 0 && parts.colon > parts.slash) {
        return 80;
    }
    if (parts.colon < 0) {
        if (isHttp()) {
            return 80;
        }
        throw new Exception(L"URL::getPort() for \"%s\" returned -1", GetBuffer());
    }
    int end = parts.slash >= 0 ? parts.slash : GetLength();
    String digits;
    SubString(digits, parts.colon + 1, end - parts.colon - 1);
    return HexUtils::DecimalStringToInteger(digits.GetBuffer());
}

const String& URL::getPath() {
    Parts parts = Locate();
    int slash = parts.start < 0 ? Find(L"/", 0) : parts.slash;
    if (slash < 0) {
        path = L"/";
    } else {
        SubString(path, slash, -1);
    }
    return path;
}

}  // namespace http
}  // namespace net
