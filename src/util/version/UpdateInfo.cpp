#include "util/version/UpdateInfo.h"

#include <cwchar>
#include <string>
#include <vector>

#include "util/Exception.h"
#include "util/Platform.h"

namespace util {
namespace version {

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Two digits at text as a number, or -1.
int TwoDigits(const wchar_t* text) {
    return IsDigit(text[0]) && IsDigit(text[1]) ? (text[0] - L'0') * 10 + (text[1] - L'0') : -1;
}

// Only plain http is fetched: the files are checked against their signed hashes, not trusted
// for the way they came.
bool IsHttpUrl(const String& url) {
    const wchar_t* text = url.IsNull() ? L"" : url.GetBuffer();
    return std::wcslen(text) > 7 && String(std::wstring(text, 7).c_str()).EqualsNoCase(L"http://");
}

}  // namespace

UpdateInfo::UpdateInfo(xml::IXMLDocument* document) : document(document) {
    className = L"UpdateInfo";
    Parse();
}

String UpdateInfo::GetFirstElementContentByTagName(const wchar_t* name, bool mustExist) {
    std::vector<xml::IXMLElement*> found = document->GetElementsByTagName(name);
    if (found.empty()) {
        if (mustExist) {
            throw new Exception(L"UpdateInfo::GetFirstElementContentByTagName() : No tag <%s> found", name);
        }
        return String();
    }
    const wchar_t* text = found.front()->GetText();
    return String(text ? text : L"");
}

String UpdateInfo::Optional(const wchar_t* name) {
    String value = GetFirstElementContentByTagName(name, false);
    return value.IsNull() ? String(L"") : value;
}

void UpdateInfo::Parse() {
    message = Optional(L"message");
    bool offer = message.IsEmpty();
    version = offer ? GetFirstElementContentByTagName(L"version", true) : Optional(L"version");
    downloadUrl = offer ? GetFirstElementContentByTagName(L"downloadUrl", true) : Optional(L"downloadUrl");
    updaterUrl = offer ? GetFirstElementContentByTagName(L"updaterUrl", true) : Optional(L"updaterUrl");
    updaterSha256 = offer ? GetFirstElementContentByTagName(L"updaterSha256", true) : Optional(L"updaterSha256");
    downloadSha256 = offer ? GetFirstElementContentByTagName(L"downloadSha256", true) : Optional(L"downloadSha256");
    issued = GetFirstElementContentByTagName(L"issued", true);
    expires = GetFirstElementContentByTagName(L"expires", true);
    signature = GetFirstElementContentByTagName(L"signature", true);
}

std::string UpdateInfo::SignedText() const {
    std::wstring text = L"tarnwick-update-2\n";
    for (const String* part : {&issued, &expires, &version, &updaterSha256, &downloadSha256, &message}) {
        text.append(part->IsNull() ? L"" : part->GetBuffer()).append(L"\n");
    }
    return platform::WideToUtf8(text.c_str(), text.size());
}

bool UpdateInfo::IsWellFormed() const {
    // Dates of one form compare as text.
    if (!IsDate(issued.GetBuffer()) || !IsDate(expires.GetBuffer()) ||
        std::wcscmp(issued.GetBuffer(), expires.GetBuffer()) > 0) {
        return false;
    }
    if (!message.IsEmpty()) {
        return true;
    }
    return IsDottedVersion(version.GetBuffer()) && IsSha256(updaterSha256.GetBuffer()) &&
           IsSha256(downloadSha256.GetBuffer()) && IsHttpUrl(downloadUrl) && IsHttpUrl(updaterUrl);
}

bool UpdateInfo::IsDottedVersion(const wchar_t* text) {
    if (!text || !*text) {
        return false;
    }
    int parts = 1;
    int digits = 0;
    for (const wchar_t* c = text; *c; ++c) {
        if (*c == L'.') {
            // An empty part, or more parts than a version holds.
            if (digits == 0 || ++parts > 10) {
                return false;
            }
            digits = 0;
        } else if (!IsDigit(*c) || ++digits > 9) {
            return false;  // nine digits always fit a component
        }
    }
    return digits > 0;
}

bool UpdateInfo::IsSha256(const wchar_t* text) {
    if (!text) {
        return false;
    }
    size_t count = 0;
    for (const wchar_t* c = text; *c; ++c, ++count) {
        if (!IsDigit(*c) && (*c < L'a' || *c > L'f')) {
            return false;
        }
    }
    return count == 64;
}

bool UpdateInfo::IsDate(const wchar_t* text) {
    if (!text || std::wcslen(text) != 10 || text[4] != L'-' || text[7] != L'-') {
        return false;
    }
    int century = TwoDigits(text);
    int year = TwoDigits(text + 2);
    int month = TwoDigits(text + 5);
    int day = TwoDigits(text + 8);
    return century >= 0 && year >= 0 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace version
}  // namespace util
