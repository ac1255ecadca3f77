#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "net/http/TransferWatch.h"

#include "util/IProperties.h"
#include "util/Object.h"
#include "util/String.h"

class Application;

namespace util {
namespace version {

class UpdateInfo;

// Asks the maker's update server for the current version and, when it offers a newer one
// signed with the maker's key, still in date and issued no earlier than this build, and the
// user agrees, downloads the updater and the new program into a folder of the program's own
// (showing their progress, with Cancel), checks both against their signed hashes, starts the
// updater there (with the program's path, the new program's SHA-256 and its version as
// arguments) and posts the quit message.
//
// Constructing one is the start-up check: it removes a leftover updater from the download
// folder and, when the "CheckForUpdates" setting allows, checks within a bound of about 1.5
// seconds, silent on every failure. Check is the check the user asks for, which reports
// every outcome.
class VersionCheck : public Object {
public:
    using MessageBoxFunction = std::function<int(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)>;
    using StartFunction = std::function<bool(const wchar_t* program, const wchar_t* argument, const wchar_t* folder)>;

    // What the check works with; every member left empty takes the program's own.
    struct Environment {
        String trustedKey;                  // base64 SubjectPublicKeyInfo; null: the one in the resources
        IProperties* properties = nullptr;  // not owned; null: the registry settings
        String downloadFolder;              // null: "<company>\<product>\Updates" under local app data
        MessageBoxFunction messageBox;      // empty: MessageBoxW
        StartFunction start;                // empty: ShellExecuteW
        DWORD startupBoundMs = 1500;
        std::function<std::string()> today;  // the UTC date as YYYY-MM-DD; empty: the system's
        std::string buildDate;               // YYYY-MM-DD; empty: the day this program was built
        net::http::TransferWatch::Limits downloadLimits;
        net::http::TransferWatch::Clock downloadClock;  // empty: GetTickCount64
        uint32_t fileLimit = 256u * 1024u * 1024u;      // the largest file a download may bring
    };

    // Unverified: not a well-formed reply signed with the trusted key. Stale: signed, but
    // expired or issued before this build. Quit: a quit message arrived meanwhile, and nothing
    // followed it. Cancelled: the user cancelled the download.
    enum class Outcome {
        NotRun,
        Unreachable,
        Unverified,
        Stale,
        Message,
        UpToDate,
        Declined,
        Failed,
        Installed,
        Quit,
        Cancelled
    };

    // Where the server's version page is when no "UpdateUrl" setting says otherwise. Under the
    // reserved "invalid" domain until the maker runs a server: no request reaches anyone.
    static const wchar_t* const kDefaultUpdateUrl;

    VersionCheck();
    explicit VersionCheck(const Environment& environment);
    ~VersionCheck() override;
    VersionCheck(const VersionCheck&) = delete;
    VersionCheck& operator=(const VersionCheck&) = delete;

    // True when an update was accepted and installed, or a quit message arrived during a check:
    // the quit message is posted, and the program should start nothing more.
    bool IsQuitPending() const { return quitPending; }
    Outcome GetStartupOutcome() const { return startupOutcome; }

    // The check on the user's demand: every outcome is shown in a box owned by owner. With
    // processesRunning the offer says that accepting closes Tarnwick and stops them.
    Outcome Check(HWND owner, bool processesRunning);

    // Downloads the updater and the new version that info names into the download folder, off
    // the calling thread (whose windows keep answering), with a progress window owned by owner.
    // Returns 1 when both arrived; 0 when the user cancelled or a quit message arrived (the
    // files are deleted); raises with what failed.
    int DownloadUpdate(UpdateInfo& info, HWND owner = nullptr);

    // "CheckForUpdates": absent (then created as "1") or anything but "0" enables the check.
    bool IsCheckEnabled();
    String GetServerUrl();
    const String& GetDownloadFolder() const { return downloadFolder; }

private:
    Outcome Run(HWND owner, bool interactive, bool processesRunning);
    Outcome Evaluate(HWND owner, bool interactive, bool processesRunning, const std::string& reply);
    bool IsStale(const UpdateInfo& info) const;
    Outcome Offer(HWND owner, UpdateInfo& info, bool processesRunning);
    Outcome Install(HWND owner, UpdateInfo& info);
    void StartUpdater(UpdateInfo& info, const String& updater, const String& download);
    Outcome InstallFailed(HWND owner, const String& reason);
    String FilePath(const wchar_t* name, const wchar_t* extension) const;
    String UpdaterPath() const;
    String NewVersionPath() const;
    Outcome Report(HWND owner, bool interactive, Outcome outcome, const String& text = String());
    int Ask(HWND owner, const String& text, UINT type);
    const wchar_t* ProgramName() const;
    String RunningVersion() const;
    void RemoveLeftoverUpdater();

    Environment environment;
    Application* application;  // not owned
    IProperties* properties;   // the environment's, or ownedProperties
    IProperties* ownedProperties;
    String downloadFolder;
    String updaterFileName;
    bool quitPending;
    bool busy;
    bool cancelled;  // by the last DownloadUpdate: the user's Cancel rather than a quit
    Outcome startupOutcome;
};

}  // namespace version
}  // namespace util
