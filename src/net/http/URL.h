#pragma once

#include "util/String.h"

namespace net {
namespace http {

// An absolute http URL taken apart into host, port and path for one request. The text is kept
// as given, except that every space becomes "+". Positions are UTF-16 code units; the
// authority starts after the first "://", and the first ":" and "/" after it decide where the
// host ends, whether a port follows, and where the path begins. No decoding or validation.
class URL : public String {
public:
    explicit URL(const wchar_t* text);

    // The text up to and including the first "://"; empty when there is none.
    String getProtocol() const;
    // True when the protocol is "http://", ignoring the case of letters.
    bool isHttp() const;
    // Raises "host part could not be extracted from %s" when the text has no "://".
    const String& getHost();
    // 80 when no port is given for http; the decimal port text otherwise (0 when it has no
    // digits). Raises when there is no port and the scheme is not http.
    int getPort();
    // From the first "/" of the authority to the end, query included; "/" when there is none.
    const String& getPath();

    // The URL a redirect from current to location leads to, into target; false when it leads
    // nowhere we follow. A location with the http scheme is taken as it is, except a bare
    // origin ("http://server2" or "http://server2/"), which asks for current's path and query
    // there; "//server2/p" is "http://server2/p"; "/p" is p at current's origin; "?q" replaces
    // current's query; any other text replaces current's last path segment. A fragment is
    // dropped. Other schemes, an empty location and control characters lead nowhere.
    static bool Resolve(const String& current, const String& location, String& target);

private:
    struct Parts {
        int start;  // first unit after "://", or -1 without one
        int colon;  // -1 when missing
        int slash;  // -1 when missing
    };
    Parts Locate() const;
    int Find(const wchar_t* what, int from) const;

    String host;
    String path;
};

}  // namespace http
}  // namespace net
