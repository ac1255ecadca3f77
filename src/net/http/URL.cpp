#include "net/http/URL.h"

#include <cwchar>
#include <string>

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

namespace {

bool HasControlCharacter(const std::wstring& text) {
    for (wchar_t c : text) {
        if (c < 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

// Position of the first '/' after the authority of an absolute URL (npos when none), or npos
// for text without "://".
size_t PathStart(const std::wstring& url) {
    size_t scheme = url.find(L"://");
    return scheme == std::wstring::npos ? std::wstring::npos : url.find(L'/', scheme + 3);
}

}  // namespace

bool URL::Resolve(const String& current, const String& location, String& target) {
    std::wstring from(current.IsNull() ? L"" : current.GetBuffer());
    std::wstring to(location.IsNull() ? L"" : location.GetBuffer());
    to = to.substr(0, to.find(L'#'));
    if (to.empty() || HasControlCharacter(to) || from.find(L"://") == std::wstring::npos) {
        return false;
    }
    size_t pathStart = PathStart(from);
    std::wstring origin = from.substr(0, pathStart);
    std::wstring path = pathStart == std::wstring::npos ? L"/" : from.substr(pathStart);
    if (to.compare(0, 2, L"//") == 0) {
        to = L"http:" + to;
    }
    std::wstring result;
    size_t scheme = to.find(L"://");
    if (scheme != std::wstring::npos && to.find_first_of(L"/?") > scheme) {
        if (scheme != 4 || !String(to.substr(0, 7).c_str()).EqualsNoCase(L"http://")) {
            return false;  // only plain http is followed
        }
        size_t authorityEnd = to.find_first_of(L"/?", scheme + 3);
        std::wstring rest = authorityEnd == std::wstring::npos ? std::wstring() : to.substr(authorityEnd);
        // A mirror given as a bare origin serves the same path and query.
        result = to.substr(0, authorityEnd) + (rest.empty() || rest == L"/" ? path
                                               : rest[0] == L'?'            ? L"/" + rest
                                                                            : rest);
    } else if (to[0] == L'/') {
        result = origin + to;
    } else if (to[0] == L'?') {
        result = origin + path.substr(0, path.find(L'?')) + to;
    } else {
        std::wstring directory = path.substr(0, path.find(L'?'));
        result = origin + directory.substr(0, directory.rfind(L'/') + 1) + to;
    }
    target = result.c_str();
    return true;
}

}  // namespace http
}  // namespace net
