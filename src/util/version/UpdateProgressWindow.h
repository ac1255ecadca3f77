#pragma once

#include <windows.h>

#include <cstdint>

#include "util/Object.h"
#include "util/String.h"

namespace net {
namespace http {
class TransferWatch;
}
}  // namespace net

namespace util {
namespace version {

// The small window shown while an update downloads: what arrived so far, and a Cancel button
// (closing the window does the same) that cancels the download's watch.
class UpdateProgressWindow : public Object {
public:
    // The window class's name, by which tests find the window.
    static const wchar_t* const kClassName;

    // Shows the window at once, centred on owner (or the screen when owner is null).
    UpdateProgressWindow(HWND owner, const String& caption, const String& what, net::http::TransferWatch& watch);
    ~UpdateProgressWindow() override;
    UpdateProgressWindow(const UpdateProgressWindow&) = delete;
    UpdateProgressWindow& operator=(const UpdateProgressWindow&) = delete;

    // Shows how many bytes arrived.
    void Update(uint64_t received);
    HWND GetHandle() const { return handle; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void Register();
    void Cancel();

    HWND handle;
    HWND label;
    HWND cancelButton;
    String what;
    uint64_t shown;
    net::http::TransferWatch& watch;  // not owned
};

}  // namespace version
}  // namespace util
