#pragma once

#include "io/IOutputStream.h"
#include "net/TCPClient.h"
#include "net/http/HttpRequest.h"
#include "net/http/HttpResponse.h"
#include "net/http/TransferWatch.h"
#include "util/String.h"

namespace net {
namespace http {

// A blocking HTTP/1.1 client: one exchange at a time on the calling thread, a new connection
// for each request ("Connection: Close"), redirects (301, 302) to http URLs followed (see
// URL::Resolve), and the cookie of the last response that set one sent with every later request
// of this object to the same host and port.
class HttpClient : public TCPClient {
public:
    enum Method { GET = 0, POST = 1 };
    // A chain of redirects longer than this is taken as endless.
    static const int kMaxRedirects = 10;

    // Receives time out after 5 seconds unless SetRecvTimeOut is called before the first
    // exchange; every later socket of this client gets the same bound.
    HttpClient();

    // Bounds every later exchange, connections and redirects included, to this many
    // milliseconds from its start (0: no bound beyond the receive timeout, which then bounds
    // each connect and each wait for a byte).
    void SetTimeLimit(int milliseconds) { timeLimit = milliseconds; }
    // Bounds the body bytes of every later response (0: no bound); a larger one fails. For
    // GetToFile, the size of the file.
    void SetBodyLimit(uint32_t bytes) { bodyLimit = bytes; }
    // Every later exchange reports what arrives to watch (not owned; null: none), waits no
    // longer than it allows and fails at its first verdict other than Go.
    void SetTransferWatch(TransferWatch* value) { watch = value; }

    // One exchange, redirects included. Returns 1 when the final response is a complete 200,
    // else 0 (a redirect without a usable Location, back to a URL already asked, or beyond
    // kMaxRedirects fails); status receives the last status code.
    // Raises only for a null url: every other failure gives 0.
    int SendCommand(const wchar_t* url, int method, HttpRequest& request, HttpResponse& response, int* status);
    // GET; a 200's body goes to out (when given) in one Write. Returns SendCommand's result.
    // Exceptions of out reach the caller.
    int Get(const wchar_t* url, io::IOutputStream* out);
    // Creates (or truncates) the file at path before any traffic, then GETs into it: the body
    // of the final 200 is written as it arrives, never held in memory. Returns SendCommand's
    // result; the file stays whatever the result (then with what arrived). writeFailure (when
    // given) receives the system's text when the file could not be written, else empty.
    int GetToFile(const wchar_t* url, const wchar_t* path, String* writeFailure = nullptr);

    const String& GetCookie() const { return cookie; }

private:
    enum class Outcome { Failed, Done, Redirect };

    Outcome Exchange(const String& url,
                     int method,
                     HttpRequest& request,
                     HttpResponse& response,
                     int& status,
                     String& next);
    // The start line and the fixed headers, for the host and port already taken from url.
    void PrepareRequest(const String& url, int method, const String& path, HttpRequest& request);
    Outcome FollowRedirect(const String& url, HttpResponse& response, String& next);
    int Run(const String& url, int method, HttpRequest& request, HttpResponse& response, int& status);
    void ApplyTimeOut();
    void CloseQuietly();
    String Origin() const;

    String userAgent;
    String cookie;
    String cookieOrigin;  // "host:port" of the response that set the cookie
    int timeLimit;
    uint32_t bodyLimit;
    TransferWatch* watch;  // not owned
};

}  // namespace http
}  // namespace net
