#pragma once

#include <string>

#include "util/Object.h"
#include "util/String.h"
#include "xml/IXMLDocument.h"

namespace util {
namespace version {

// What the update server replied, read from the parsed reply at construction: a signed message
// (no update on offer) or a signed offer of a version with its two files, each with the day it
// was issued and the last day it holds.
class UpdateInfo : public Object {
public:
    // Raises "UpdateInfo::GetFirstElementContentByTagName() : No tag <%s> found" when an
    // element is missing: the dates and the signature always, the version, both URLs and both
    // hashes unless the reply carries a message.
    explicit UpdateInfo(xml::IXMLDocument* document);

    // The text of the first element of that name anywhere in the document; when there is none,
    // raises (mustExist) or gives a null String.
    String GetFirstElementContentByTagName(const wchar_t* name, bool mustExist);

    // The UTF-8 bytes that the maker signs: "tarnwick-update-2\n", then issued, expires, version,
    // updaterSha256, downloadSha256 and message, each followed by "\n".
    std::string SignedText() const;

    // True when the dates have their form and the issue date is not after the expiry; for an
    // offer, also the version as dotted digits, both hashes as 64 lower-case hexadecimal digits
    // and both URLs as http:// URLs.
    bool IsWellFormed() const;

    // "1", "1.0.15": digits, single dots between them, at most ten parts of up to nine digits.
    static bool IsDottedVersion(const wchar_t* text);
    // 64 characters of 0-9 and a-f.
    static bool IsSha256(const wchar_t* text);
    // "YYYY-MM-DD" with a month 01-12 and a day 01-31.
    static bool IsDate(const wchar_t* text);

    String message;  // empty when the reply offers an update
    String version;
    String downloadUrl;
    String updaterUrl;
    String updaterSha256;
    String downloadSha256;
    String issued;   // YYYY-MM-DD
    String expires;  // YYYY-MM-DD, the last day the reply holds
    String signature;

private:
    void Parse();
    String Optional(const wchar_t* name);

    xml::IXMLDocument* document;  // not owned
};

}  // namespace version
}  // namespace util
