#pragma once

#include <windows.h>

#include <functional>
#include <string>

class OutputView;

// The web addresses of an output view as links: the hand cursor over one, and a plain click on
// one opens it in the user's browser. The opening goes through an opener that tests replace, so
// that no test ever starts a browser.
class OutputLinks {
public:
    using Opener = std::function<void(const std::wstring& address)>;

    explicit OutputLinks(OutputView& view);
    OutputLinks(const OutputLinks&) = delete;
    OutputLinks& operator=(const OutputLinks&) = delete;

    void SetOpener(Opener newOpener) { opener = std::move(newOpener); }
    // The address under a point of the view's client area; empty when there is none.
    std::wstring AddressAt(int x, int y) const;
    // For WM_SETCURSOR: shows the hand over an address; false leaves the cursor as it is.
    bool ShowCursor() const;
    // A click that selected nothing, at x, y: opens the address there; true when there was one.
    bool Click(int x, int y);
    // What opening does unless replaced: the shell's "open" of the address.
    static void OpenInBrowser(const std::wstring& address);

private:
    OutputView& view;  // the owner
    Opener opener;
};
