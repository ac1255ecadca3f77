#pragma once

#include "net/http/HttpMessage.h"

namespace net {
namespace http {

// A request as the client sends it. The form, when its owner fills it, makes the request carry
// a form body ("name=value" pairs joined by "&", not encoded).
class HttpRequest : public HttpMessage {
public:
    HttpRequest();

    // Also clears the form.
    void Reset() override;

    using FormMap = std::map<String, String>;

    FormMap& GetForm() { return form; }

    // Writes the start line, the headers in map order, an empty line and the form text (if
    // any) as UTF-8 into the raw stream, replacing what it held.
    void Serialize();

private:
    String FormText() const;

    FormMap form;
};

}  // namespace http
}  // namespace net
