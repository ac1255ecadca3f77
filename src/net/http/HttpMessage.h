#pragma once

#include <map>

#include "io/ByteArrayOutputStream.h"
#include "util/Object.h"
#include "util/String.h"

namespace net {
namespace http {

// Header names are compared ignoring the case of ASCII letters, as HTTP defines them.
struct HeaderNameLess {
    bool operator()(const String& a, const String& b) const;
};

// What requests and responses share: the body, the raw bytes on the wire, the headers (one
// value per name, names matched ignoring case and ordered by their lower-case code units, which
// also fixes the order in which a request writes them) and the start line.
class HttpMessage : public Object {
public:
    using HeaderMap = std::map<String, String, HeaderNameLess>;

    HttpMessage();

    // Empties the raw bytes, the start line and the headers; the body stays as it is.
    virtual void Reset();

    // Replaces any value stored under the name in any letter case.
    void SetHeader(const String& name, const String& value);
    // The value stored under this name in any letter case, or a null String.
    String GetHeader(const wchar_t* name) const;
    const HeaderMap& GetHeaders() const { return headers; }

    const String& GetStartLine() const { return startLine; }
    void SetStartLine(const String& line) { startLine = line; }

    io::ByteArrayOutputStream& GetBody() { return body; }
    io::ByteArrayOutputStream& GetRaw() { return raw; }

protected:
    io::ByteArrayOutputStream body;  // a response's decoded entity body; unused in a request
    io::ByteArrayOutputStream raw;   // a request's bytes as sent, or every byte received
    HeaderMap headers;
    String startLine;
};

}  // namespace http
}  // namespace net
