#pragma once

#include <string>

#include "util/Object.h"
#include "util/String.h"
#include "xml/IXMLDocument.h"

namespace util {
namespace version {

// What the update server replied, read from the parsed reply at construction: either a
// message (no update on offer) or a signed offer of a version with its two files.
class UpdateInfo : public Object {
public:
    // Raises "UpdateInfo::GetFirstElementContentByTagName() : No tag <%s> found" when there
    // is no message and an element of the offer is missing.
    explicit UpdateInfo(xml::IXMLDocument* document);

    // The text of the first element of that name anywhere in the document; when there is none,
    // raises (mustExist) or gives a null String.
    String GetFirstElementContentByTagName(const wchar_t* name, bool mustExist);

    // The UTF-8 text that the maker signs: "tarnwick-update\n", then version, updaterSha256
    // and downloadSha256, each followed by "\n".
    std::string SignedText() const;

    String message;  // empty when the reply offers an update
    String version;
    String downloadUrl;
    String updaterUrl;
    String updaterSha256;
    String downloadSha256;
    String signature;

private:
    void Parse();

    xml::IXMLDocument* document;  // not owned
};

}  // namespace version
}  // namespace util
