#pragma once

#include <map>

#include "io/ByteArrayOutputStream.h"
#include "util/Object.h"
#include "util/String.h"

namespace net {
namespace http {

// What requests and responses share: the body, the raw bytes on the wire, the headers (one
// value per name, names compared case-sensitively and ordered code unit by code unit, which
// also fixes the order in which a request writes them) and the start line.
class HttpMessage : public Object {
public:
    using HeaderMap = std::map<String, String>;

    HttpMessage();

    // Empties the raw bytes, the start line and the headers; the body stays as it is.
    virtual void Reset();

    void SetHeader(const String& name, const String& value);
    // The value stored under exactly this name, or a null String.
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
