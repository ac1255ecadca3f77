#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "net/http/TransferWatch.h"
#include "util/Object.h"
#include "util/String.h"

namespace util {
namespace version {

// Downloads the files of an update into a folder, one after the other and off the calling
// thread (whose windows keep answering), each streamed to its file under one transfer watch,
// while a progress window with Cancel is shown. Whatever ends the download early (a failure,
// Cancel, a quit message) deletes every file of it.
class UpdateDownload : public Object {
public:
    struct Settings {
        net::http::TransferWatch::Limits limits;
        net::http::TransferWatch::Clock clock;
        uint32_t fileLimit = 0;  // the largest file (0: no bound)
    };
    struct Item {
        String url;
        String path;
        // "...%s...%s..." filled with url and path when this file fails.
        const wchar_t* failure;
    };
    enum class Result { Saved, Cancelled, Quit };

    UpdateDownload(const Settings& settings, const String& folder);

    // Creates the folder and downloads every item. Raises with the failure text of the file that
    // failed (and what ended it), or when the wait itself fails.
    Result Run(HWND owner, const String& caption, const String& what, const std::vector<Item>& items);

private:
    Settings settings;
    String folder;
};

}  // namespace version
}  // namespace util
