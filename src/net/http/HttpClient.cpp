#include "net/http/HttpClient.h"

#include <windows.h>

#include <new>
#include <set>

#include "io/FileOutputStream.h"
#include "net/http/URL.h"
#include "util/Exception.h"

namespace net {
namespace http {

namespace {

// The socket as the response reads it under a transfer watch: every wait lasts no longer than
// the watch allows, and a wait that runs out asks the watch whether to go on.
class WatchedSocket : public io::IInputStream {
public:
    WatchedSocket(TCPSocket& socket, TransferWatch& watch)
        : socket(socket), watch(watch), timeLimit(socket.GetDeadline()) {}
    ~WatchedSocket() override { socket.SetDeadline(timeLimit); }
    WatchedSocket(const WatchedSocket&) = delete;
    WatchedSocket& operator=(const WatchedSocket&) = delete;

    int Read(char* buffer, int size) override {
        for (;;) {
            uint64_t now = GetTickCount64();
            if (watch.Check() != TransferWatch::Verdict::Go || (timeLimit && now >= timeLimit)) {
                return -1;
            }
            uint64_t due = now + watch.MillisecondsUntilDue();
            socket.SetDeadline(timeLimit && timeLimit < due ? timeLimit : due);
            int received = socket.Read(buffer, size);
            if (received > 0) {
                watch.Received(static_cast<uint64_t>(received));
            }
            if (received != TCPSocket::kTimedOut) {
                return received;
            }
        }
    }

private:
    TCPSocket& socket;
    TransferWatch& watch;
    uint64_t timeLimit;  // the exchange's own deadline (0: none), kept as it was
};

}  // namespace

HttpClient::HttpClient() : timeLimit(0), bodyLimit(0), watch(nullptr) {
    userAgent =
        L"Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.9.0.11) Gecko/2009060215 Firefox/3.0.11 "
        L"(.NET CLR 3.5.30729)";
    cookie = L"";
    SetRecvTimeOut(5000);
}

int HttpClient::SendCommand(const wchar_t* url, int method, HttpRequest& request, HttpResponse& response, int* status) {
    if (!url) {
        throw new Exception(L"HttpClient::SendCommand()\nurl parameters is null");
    }
    int ignored = 0;
    SetDeadline(timeLimit > 0 ? GetTickCount64() + static_cast<uint64_t>(timeLimit) : 0);
    int result = Run(url, method, request, response, status ? *status : ignored);
    SetDeadline(0);
    return result;
}

int HttpClient::Run(const String& url, int method, HttpRequest& request, HttpResponse& response, int& status) {
    std::set<String> asked;
    String current(url);
    for (int redirects = 0;; ++redirects) {
        asked.insert(current);
        String next;
        Outcome outcome = Outcome::Failed;
        try {
            outcome = Exchange(current, method, request, response, status, next);
        } catch (Exception* e) {
            delete e;
        } catch (std::bad_alloc&) {
        }
        if (outcome == Outcome::Redirect && (redirects == kMaxRedirects || asked.count(next))) {
            outcome = Outcome::Failed;  // endless, or a loop
        }
        if (outcome != Outcome::Redirect) {
            // A failed exchange may leave the connection mid-response: never reuse it.
            CloseQuietly();
            return outcome == Outcome::Done ? 1 : 0;
        }
        // The next response starts empty, so the final body is exactly the final response's.
        response.Reset();
        response.GetBody().Reset();
        current = next;
    }
}

String HttpClient::Origin() const {
    String origin;
    origin.Format(L"%s:%i", host.GetBuffer(), port);
    return origin;
}

void HttpClient::PrepareRequest(const String& url, int method, const String& path, HttpRequest& request) {
    // Every hop starts from nothing but the caller's form: no header of an earlier hop (a cookie
    // meant for another host above all) may ride along.
    HttpRequest::FormMap form = request.GetForm();
    request.Reset();
    request.GetForm() = form;
    request.SetStartLine(String().Format(method == POST ? L"POST %s HTTP/1.1" : L"GET %s HTTP/1.1", path.GetBuffer()));
    String hostHeader(host);
    if (port != 80) {
        hostHeader.Format(L"%s:%i", host.GetBuffer(), port);
    }
    request.SetHeader(L"Host", hostHeader);
    request.SetHeader(L"User-Agent", userAgent);
    request.SetHeader(L"Accept", L"*/*");
    request.SetHeader(L"Accept-Encoding", L"identity");
    // A cookie is the business of the server that set it alone.
    if (!cookie.IsEmpty() && cookieOrigin.EqualsNoCase(Origin().GetBuffer())) {
        request.SetHeader(L"Cookie", cookie);
    }
    request.SetHeader(L"Referer", url);
    request.SetHeader(L"Connection", L"Close");
}

HttpClient::Outcome HttpClient::Exchange(const String& url,
                                         int method,
                                         HttpRequest& request,
                                         HttpResponse& response,
                                         int& status,
                                         String& next) {
    URL target(url.GetBuffer());
    host = target.getHost();
    port = target.getPort();
    String path = target.getPath();
    PrepareRequest(url, method, path, request);
    // Closed by an earlier exchange, or never made because its creation failed.
    bool freshSocket = !HasSocket();
    SetCancelFlag(watch ? watch->GetCancelFlag() : nullptr);
    Connect();
    if (freshSocket) {
        ApplyTimeOut();
    }
    request.Serialize();
    response.SetBodyLimit(bodyLimit);
    io::ByteArrayOutputStream& raw = request.GetRaw();
    Send(raw.GetData(), static_cast<int>(raw.GetSize()));  // a failed send shows as a failed read
    bool complete = false;
    if (watch) {
        WatchedSocket watched(*this, *watch);
        complete = response.Receive(watched);
    } else {
        complete = response.Receive(*this);
    }
    status = response.GetStatusCode();
    String setCookie = response.GetHeader(L"Set-Cookie");
    if (!setCookie.IsNull()) {
        cookie = setCookie;
        cookieOrigin = Origin();
    }
    if (status == 200) {
        // A cut body must never pass for the whole one.
        return complete ? Outcome::Done : Outcome::Failed;
    }
    if (status == 301 || status == 302) {
        return FollowRedirect(url, response, next);
    }
    return Outcome::Failed;
}

HttpClient::Outcome HttpClient::FollowRedirect(const String& url, HttpResponse& response, String& next) {
    // The next exchange's Connect makes the fresh socket, and Exchange gives it the timeout.
    Close();
    return URL::Resolve(url, response.GetHeader(L"Location"), next) ? Outcome::Redirect : Outcome::Failed;
}

// Every socket of the client gets the receive bound given to its first one, so that a server
// that neither answers nor closes cannot hold an exchange without end.
void HttpClient::ApplyTimeOut() {
    if (recvTimeOut > 0) {
        SetRecvTimeOut(recvTimeOut);
    }
}

void HttpClient::CloseQuietly() {
    try {
        Close();
    } catch (Exception* e) {
        delete e;
    }
}

int HttpClient::Get(const wchar_t* url, io::IOutputStream* out) {
    HttpRequest request;
    HttpResponse response;
    int status = 0;
    int result = SendCommand(url, GET, request, response, &status);
    if (result == 1 && status == 200 && out) {
        io::ByteArrayOutputStream& body = response.GetBody();
        out->Write(body.GetData(), body.GetSize());
    }
    return result;
}

int HttpClient::GetToFile(const wchar_t* url, const wchar_t* path, String* writeFailure) {
    io::FileOutputStream file(path);
    HttpRequest request;
    HttpResponse response;
    response.SetSink(&file);
    int status = 0;
    int result = SendCommand(url, GET, request, response, &status);
    file.Close();
    if (writeFailure) {
        *writeFailure = file.GetWriteFailure();
    }
    return result;
}

}  // namespace http
}  // namespace net
