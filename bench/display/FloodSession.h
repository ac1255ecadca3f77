#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "FloodText.h"
#include "support/ScratchDirectory.h"
#include "support/TarnwickSession.h"

// The built Tarnwick.exe on a configuration with one entry, "Flood", whose child writes lines on
// request; the output view is watched from here. Each session is a fresh program.
class FloodSession {
public:
    // serial: sessions of one run must differ in it.
    FloodSession(const testsupport::ScratchDirectory& folder, int serial);
    // Lets the child end, then the session ends the program.
    ~FloodSession();
    FloodSession(const FloodSession&) = delete;
    FloodSession& operator=(const FloodSession&) = delete;

    bool Ready() const { return view != nullptr; }
    HWND Frame() const { return session->Frame(); }
    HWND View() const { return CurrentView(); }
    // Has the child write bytes of lines and a closing marker line. Returns the milliseconds from
    // the request until the marker is in the view, or a negative value when it did not come in
    // five minutes. untrimmed: the view will hold all of it, so its final length is known and the
    // marker is looked for only once that is reached (looking costs the view's thread more);
    // otherwise it is looked for whenever the length stayed the same for a while.
    // peakBytes: the highest private bytes of the program seen meanwhile. kind: what the lines
    // hold (all kinds show the same characters) or one line of bytes.
    double Flood(size_t bytes, bool untrimmed, size_t& peakBytes, floodtext::Kind kind = floodtext::Kind::Plain);
    // Has the child write bytes of lines of kind and a closing marker line, and returns the
    // milliseconds until the marker is one of the view's last lines. Only the view's tail is
    // read, so a trim of old lines cannot keep the end from being seen; after waitMs without it,
    // what the view showed goes to standard error and the result is -1.
    double FloodToMarker(size_t bytes, floodtext::Kind kind, double waitMs);
    // Has the child rewrite one progress line steps times with bare CRs. Returns the lines the
    // view holds once the last step shows (the view cleared first), or -1 when it did not show.
    long Progress(size_t steps);
    // Empties the view, as WM_SETTEXT does an edit control's.
    void Clear() const;
    size_t PrivateBytes() const;

private:
    std::wstring WriteConfiguration(const testsupport::ScratchDirectory& folder) const;
    bool Request(size_t bytes, floodtext::Kind kind);
    bool MarkerShown(const std::string& marker) const;
    std::wstring LineText(long line) const;
    void LogScrollPosition() const;
    void LogTail(const std::string& marker) const;
    size_t ViewLength() const;

    std::wstring events;
    HANDLE go;
    HANDLE quit;
    std::wstring requestFile;
    std::unique_ptr<testsupport::TarnwickSession> session;
    HWND CurrentView() const;

    HWND view;
    int round;
};
