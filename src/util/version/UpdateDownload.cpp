#include "util/version/UpdateDownload.h"

#include <shlobj.h>

#include <memory>

#include "net/UsesWinsock.h"
#include "net/http/HttpClient.h"
#include "util/Exception.h"
#include "util/version/BackgroundTask.h"
#include "util/version/UpdateProgressWindow.h"

namespace util {
namespace version {

namespace {

// Each wait of a download for a connection or a byte; the transfer watch bounds the whole.
const int kReceiveMs = 30000;
// After a cancel, how long the download's own clean-up is awaited before the files are removed here.
const DWORD kCancelGraceMs = 2000;

struct Outcome {
    bool saved = false;
    String error;
};

void DeleteAll(const std::vector<UpdateDownload::Item>& items) {
    for (const UpdateDownload::Item& item : items) {
        DeleteFileW(item.path.GetBuffer());
    }
}

// The work of the download's own thread: everything it touches is its own or shared.
void Download(const std::vector<UpdateDownload::Item>& items,
              const UpdateDownload::Settings& settings,
              const String& folder,
              net::http::TransferWatch& watch,
              Outcome& outcome) {
    try {
        SHCreateDirectoryExW(nullptr, folder.GetBuffer(), nullptr);
        net::UsesWinsock winsock;
        net::http::HttpClient client;
        client.SetRecvTimeOut(kReceiveMs);
        client.SetBodyLimit(settings.fileLimit);
        client.SetTransferWatch(&watch);
        outcome.saved = true;
        for (const UpdateDownload::Item& item : items) {
            String writeFailure;
            if (!client.GetToFile(item.url.GetBuffer(), item.path.GetBuffer(), &writeFailure)) {
                outcome.saved = false;
                outcome.error.Format(item.failure, item.url.GetBuffer(), item.path.GetBuffer());
                if (!writeFailure.IsEmpty()) {
                    outcome.error.AppendFormat(L"\n\n%s", writeFailure.GetBuffer());  // the disk is full, say
                }
                const wchar_t* why = net::http::TransferWatch::Describe(watch.Check());
                if (*why) {
                    outcome.error.AppendFormat(L"\n\n%s", why);
                }
                break;
            }
        }
    } catch (Exception* e) {
        outcome.saved = false;
        outcome.error = e->GetMessageText();
        delete e;
    }
    if (!outcome.saved) {
        DeleteAll(items);  // half a download is never left to be started
    }
}

}  // namespace

UpdateDownload::UpdateDownload(const Settings& settings, const String& folder) : settings(settings), folder(folder) {
    className = L"UpdateDownload";
}

UpdateDownload::Result UpdateDownload::Run(HWND owner,
                                           const String& caption,
                                           const String& what,
                                           const std::vector<Item>& items) {
    std::shared_ptr<Outcome> outcome = std::make_shared<Outcome>();
    std::shared_ptr<net::http::TransferWatch> watch =
        std::make_shared<net::http::TransferWatch>(settings.limits, settings.clock);
    // Shown before any traffic, for as long as the download lasts.
    UpdateProgressWindow progress(owner, caption, what, *watch);
    Settings shared = settings;
    String target(folder.GetBuffer());
    BackgroundTask task([items, shared, target, watch, outcome] { Download(items, shared, target, *watch, *outcome); });
    ULONGLONG cancelledAt = 0;
    BackgroundTask::Ending ending = task.Wait(INFINITE, [&] {
        progress.Update(watch->GetTotal());
        if (watch->IsCancelled() && !cancelledAt) {
            cancelledAt = GetTickCount64();
        }
        // A download that cannot notice the cancel (a name still being resolved) is left behind.
        return !cancelledAt || GetTickCount64() - cancelledAt < kCancelGraceMs;
    });
    if (ending != BackgroundTask::Ending::Finished) {
        watch->Cancel();
        task.WaitQuietly(ending == BackgroundTask::Ending::Stopped ? 0 : kCancelGraceMs);
        DeleteAll(items);
        if (ending == BackgroundTask::Ending::Failed) {
            throw new Exception(L"The download could not be awaited.");
        }
        return ending == BackgroundTask::Ending::Quit ? Result::Quit : Result::Cancelled;
    }
    if (watch->IsCancelled()) {
        return Result::Cancelled;  // the download deleted its files
    }
    if (!outcome->saved) {
        throw new Exception(L"%s", outcome->error.IsNull() ? L"" : outcome->error.GetBuffer());
    }
    return Result::Saved;
}

}  // namespace version
}  // namespace util
