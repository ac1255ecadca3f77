#include "net/http/HttpRequest.h"

#include <cwchar>
#include <string>

#include "util/Exception.h"
#include "util/Platform.h"

namespace net {
namespace http {

namespace {

void AppendText(std::wstring& out, const String& text) {
    if (!text.IsNull()) {
        if (std::wcspbrk(text.GetBuffer(), L"\r\n")) {
            // Text from a server (a redirect's Location) must never add a line to the request.
            throw new Exception(L"HttpRequest::Serialize()\nA line break inside %s.", text.GetBuffer());
        }
        out.append(text.GetBuffer(), static_cast<size_t>(text.GetLength()));
    }
}

}  // namespace

HttpRequest::HttpRequest() { className = L"HttpRequest"; }

void HttpRequest::Reset() {
    HttpMessage::Reset();
    form.clear();
}

String HttpRequest::FormText() const {
    String text(L"");
    for (FormMap::const_iterator it = form.begin(); it != form.end(); ++it) {
        text.AppendFormat(it == form.begin() ? L"%s=%s" : L"&%s=%s", it->first.GetBuffer(), it->second.GetBuffer());
    }
    return text;
}

void HttpRequest::Serialize() {
    raw.Reset();
    std::wstring text;
    AppendText(text, startLine);
    text += L"\r\n";
    String formText;
    if (!form.empty()) {
        formText = FormText();
        std::string formBytes = platform::WideToUtf8(formText.GetBuffer(), formText.GetLength());
        String length;
        length.Format(L"%i", static_cast<int>(formBytes.size()));
        SetHeader(L"Content-Type", L"application/x-www-form-urlencoded");
        SetHeader(L"Content-Length", length);
    }
    for (HeaderMap::const_iterator it = headers.begin(); it != headers.end(); ++it) {
        AppendText(text, it->first);
        text += L": ";
        AppendText(text, it->second);
        text += L"\r\n";
    }
    text += L"\r\n";
    if (!form.empty()) {
        AppendText(text, formText);
        text += L"\r\n";
    }
    std::string bytes = platform::WideToUtf8(text.c_str(), text.size());
    raw.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace http
}  // namespace net
