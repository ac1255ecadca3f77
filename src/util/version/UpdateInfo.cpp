#include "util/version/UpdateInfo.h"

#include <vector>

#include "util/Exception.h"
#include "util/Platform.h"

namespace util {
namespace version {

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

void UpdateInfo::Parse() {
    message = GetFirstElementContentByTagName(L"message", false);
    if (message.IsNull()) {
        message = L"";
    }
    if (!message.IsEmpty()) {
        return;
    }
    version = GetFirstElementContentByTagName(L"version", true);
    downloadUrl = GetFirstElementContentByTagName(L"downloadUrl", true);
    updaterUrl = GetFirstElementContentByTagName(L"updaterUrl", true);
    updaterSha256 = GetFirstElementContentByTagName(L"updaterSha256", true);
    downloadSha256 = GetFirstElementContentByTagName(L"downloadSha256", true);
    signature = GetFirstElementContentByTagName(L"signature", true);
}

std::string UpdateInfo::SignedText() const {
    std::wstring text = L"tarnwick-update\n";
    for (const String* part : {&version, &updaterSha256, &downloadSha256}) {
        text.append(part->IsNull() ? L"" : part->GetBuffer()).append(L"\n");
    }
    return platform::WideToUtf8(text.c_str(), text.size());
}

}  // namespace version
}  // namespace util
