#include "util/version/VersionCheck.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

#include "app/Application.h"
#include "io/ByteArrayOutputStream.h"
#include "net/UsesWinsock.h"
#include "net/http/HttpClient.h"
#include "util/Exception.h"
#include "util/RegistryProperties.h"
#include "util/Platform.h"
#include "util/version/BackgroundTask.h"
#include "util/version/UpdateInfo.h"
#include "util/version/UpdateDownload.h"
#include "util/version/UpdateSignature.h"
#include "util/version/Version.h"
#include "win32/VersionString.h"
#include "xml/rapidxml/RapidXMLDocument.h"

namespace util {
namespace version {

const wchar_t* const VersionCheck::kDefaultUpdateUrl = L"http://updates.tarnwick.invalid/versions/index.php";

namespace {

// The day this program was built, which the build passes in (see the folder's CMakeLists).
#ifndef TARNWICK_BUILD_DATE
#define TARNWICK_BUILD_DATE "2026-01-01"
#endif

const uint32_t kReplyLimit = 64 * 1024;
const DWORD kOnDemandBoundMs = 20000;
// Longer message texts from a server are cut to this many characters.
const int kMessageLimit = 1000;

struct Fetched {
    int result = 0;
    bool quit = false;
    std::string body;
};

std::string TodayUtc() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    char text[16];
    wsprintfA(text, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

void DeleteFiles(const String& first, const String& second) {
    DeleteFileW(first.GetBuffer());
    DeleteFileW(second.GetBuffer());
}

String TrustedKeyFromResources() {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, L"TARNWICK_UPDATE_KEY", MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes) {
        return String(L"");
    }
    std::string text(bytes, SizeofResource(module, found));
    return String(text.c_str(), std::strlen(text.c_str()));
}

String DefaultDownloadFolder(Application* application) {
    wchar_t base[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, base))) {
        return String();
    }
    String company(L"Hollbrae");
    String product(L"Tarnwick");
    if (application) {
        if (!Application::FillFromVersion(application->CompanyName, L"CompanyName").IsEmpty()) {
            company = application->CompanyName;
        }
        if (!Application::FillFromVersion(application->ProductName, L"ProductName").IsEmpty()) {
            product = application->ProductName;
        }
    }
    String folder;
    folder.Format(L"%s\\%s\\%s\\Updates", base, company.GetBuffer(), product.GetBuffer());
    return folder;
}

// A downloaded file held open for reading that others may read but not change or delete.
struct LockedFile {
    explicit LockedFile(const String& path)
        : handle(CreateFileW(path.GetBuffer(),
                             GENERIC_READ,
                             FILE_SHARE_READ,
                             nullptr,
                             OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL,
                             nullptr)) {}
    ~LockedFile() {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    HANDLE handle;
};

bool ShellStart(const wchar_t* program, const wchar_t* argument, const wchar_t* folder) {
    HINSTANCE result = ShellExecuteW(nullptr, L"open", program, argument, folder, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

// Gets url into memory on a thread that is abandoned at the bound: name resolution cannot be
// cancelled, and the start of the program must not wait for it.
Fetched Fetch(const String& url, int receiveTimeOutMs, DWORD boundMs) {
    std::shared_ptr<Fetched> fetched = std::make_shared<Fetched>();
    String target(url.GetBuffer());
    BackgroundTask::Ending ending = BackgroundTask::Run(
        [fetched, target, receiveTimeOutMs, boundMs] {
            net::UsesWinsock winsock;
            net::http::HttpClient client;
            client.SetRecvTimeOut(receiveTimeOutMs);
            // The exchange ends by itself a little before the caller stops waiting.
            client.SetTimeLimit(static_cast<int>(boundMs > 200 ? boundMs - 100 : boundMs));
            client.SetBodyLimit(kReplyLimit);
            io::ByteArrayOutputStream reply;
            int result = client.Get(target.GetBuffer(), &reply);
            fetched->body.assign(reply.GetData() ? reply.GetData() : "", reply.GetSize());
            fetched->result = result;
        },
        boundMs);
    if (ending == BackgroundTask::Ending::Finished) {
        return *fetched;
    }
    Fetched nothing;
    nothing.quit = ending == BackgroundTask::Ending::Quit;
    return nothing;
}

}  // namespace

VersionCheck::VersionCheck() : VersionCheck(Environment()) {}

VersionCheck::VersionCheck(const Environment& given)
    : environment(given),
      application(Application::GetCurrent()),
      properties(given.properties),
      ownedProperties(nullptr),
      quitPending(false),
      busy(false),
      cancelled(false),
      startupOutcome(Outcome::NotRun) {
    className = L"VersionCheck";
    updaterFileName = L"updater.exe";
    // Nothing of the check may stop the program's start.
    try {
        if (!properties) {
            properties = ownedProperties = new RegistryProperties();
        }
        if (environment.trustedKey.IsNull()) {
            environment.trustedKey = TrustedKeyFromResources();
        }
        if (!environment.today) {
            environment.today = TodayUtc;
        }
        if (environment.buildDate.empty()) {
            environment.buildDate = TARNWICK_BUILD_DATE;
        }
        if (!environment.downloadClock) {
            environment.downloadClock = [] { return static_cast<uint64_t>(GetTickCount64()); };
        }
        downloadFolder =
            environment.downloadFolder.IsNull() ? DefaultDownloadFolder(application) : environment.downloadFolder;
        RemoveLeftoverUpdater();
        if (IsCheckEnabled()) {
            busy = true;
            startupOutcome = Run(nullptr, false, false);
        }
    } catch (Exception* e) {
        delete e;
    } catch (...) {
    }
    busy = false;
}

VersionCheck::~VersionCheck() {
    delete ownedProperties;
}

void VersionCheck::RemoveLeftoverUpdater() {
    if (!downloadFolder.IsEmpty()) {
        String path;
        path.Format(L"%s\\%s", downloadFolder.GetBuffer(), updaterFileName.GetBuffer());
        DeleteFileW(path.GetBuffer());  // a missing file, or one still running, is no error
    }
}

bool VersionCheck::IsCheckEnabled() {
    String value;
    if (properties->GetProperty(L"CheckForUpdates", value)) {
        return !value.Equals(L"0");
    }
    properties->SetProperty(L"CheckForUpdates", L"1");
    return true;
}

String VersionCheck::GetServerUrl() {
    String url;
    if (!properties->GetProperty(L"UpdateUrl", url) || url.IsEmpty()) {
        url = kDefaultUpdateUrl;
    }
    return url;
}

VersionCheck::Outcome VersionCheck::Check(HWND owner, bool processesRunning) {
    if (busy) {
        return Outcome::NotRun;  // one check at a time; this one was asked for while another runs
    }
    busy = true;
    Outcome outcome = Outcome::Failed;
    try {
        outcome = Run(owner, true, processesRunning);
    } catch (Exception* e) {
        delete e;
    } catch (...) {
    }
    busy = false;
    return outcome;
}

VersionCheck::Outcome VersionCheck::Run(HWND owner, bool interactive, bool processesRunning) {
    const wchar_t* name = application ? application->GetOriginalFilename() : L"Tarnwick";
    String url;
    url.Format(L"%s?name=%s", GetServerUrl().GetBuffer(), name ? name : L"Tarnwick");
    Fetched fetched = interactive ? Fetch(url, 5000, kOnDemandBoundMs) : Fetch(url, 1000, environment.startupBoundMs);
    if (fetched.quit) {
        quitPending = true;
        return Outcome::Quit;  // Exit was chosen meanwhile: no box and no offer
    }
    if (fetched.result != 1) {
        return Report(owner, interactive, Outcome::Unreachable);
    }
    return Evaluate(owner, interactive, processesRunning, fetched.body);
}

VersionCheck::Outcome VersionCheck::Evaluate(HWND owner,
                                             bool interactive,
                                             bool processesRunning,
                                             const std::string& reply) {
    // The maker's tool writes UTF-8, and the signature covers the text as the maker wrote it.
    std::wstring text;
    if (!platform::Utf8ToWide(reply.data(), reply.size(), text)) {
        return Report(owner, interactive, Outcome::Unverified);
    }
    xml::rapidxml::RapidXMLDocument document;
    std::unique_ptr<UpdateInfo> info;
    try {
        document.Parse(text.c_str());
        info.reset(new UpdateInfo(&document));
    } catch (Exception* e) {
        delete e;  // not XML, or an element missing: nothing that can be trusted
        return Report(owner, interactive, Outcome::Unverified);
    }
    // Nothing of the reply, its message included, is shown or acted on unless the maker signed it.
    if (!info->IsWellFormed() ||
        !UpdateSignature::Verify(environment.trustedKey.GetBuffer(), info->SignedText(), info->signature.GetBuffer())) {
        return Report(owner, interactive, Outcome::Unverified);
    }
    if (IsStale(*info)) {
        return Report(owner, interactive, Outcome::Stale);
    }
    if (!info->message.IsEmpty()) {
        String message(info->message);
        message.Truncate(kMessageLimit);
        return Report(owner, interactive, Outcome::Message, message);
    }
    if (!Version(info->version.GetBuffer()).IsNewerThan(Version(RunningVersion().GetBuffer()))) {
        return Report(owner, interactive, Outcome::UpToDate);
    }
    return Offer(owner, *info, processesRunning);
}

// An expired reply, or one issued before this build (an old reply played back, which could only
// offer what this build replaced), is not acted on.
bool VersionCheck::IsStale(const UpdateInfo& info) const {
    std::string issued = platform::WideToUtf8(info.issued.GetBuffer(), std::wcslen(info.issued.GetBuffer()));
    std::string expires = platform::WideToUtf8(info.expires.GetBuffer(), std::wcslen(info.expires.GetBuffer()));
    return environment.today() > expires || issued < environment.buildDate;
}

VersionCheck::Outcome VersionCheck::Offer(HWND owner, UpdateInfo& info, bool processesRunning) {
    const wchar_t* name = ProgramName();
    String question;
    question.Format(L"An update for %s %s is available.\n\nDo you want to download %s %s?", name,
                    RunningVersion().GetBuffer(), name, info.version.GetBuffer());
    if (processesRunning) {
        question.AppendFormat(L"\n\n%s will close and stop the processes that are running.", name);
    }
    if (Ask(owner, question, MB_YESNO | MB_ICONINFORMATION) != IDYES) {
        return Outcome::Declined;
    }
    return Install(owner, info);
}

String VersionCheck::FilePath(const wchar_t* name, const wchar_t* extension) const {
    String path;
    path.Format(L"%s\\%s%s", downloadFolder.GetBuffer(), name, extension);
    return path;
}

String VersionCheck::UpdaterPath() const {
    return FilePath(updaterFileName.GetBuffer(), L"");
}

String VersionCheck::NewVersionPath() const {
    bool named = application && !application->moduleName.IsEmpty();
    return FilePath(named ? application->moduleName.GetBuffer() : L"Tarnwick", L".upd");
}

int VersionCheck::DownloadUpdate(UpdateInfo& info, HWND owner) {
    UpdateDownload::Settings settings;
    settings.limits = environment.downloadLimits;
    settings.clock = environment.downloadClock;
    settings.fileLimit = environment.fileLimit;
    std::vector<UpdateDownload::Item> items = {
        {info.updaterUrl, UpdaterPath(), L"The updater at:\n\n%s\n\ncould not be saved to:\n\n%s"},
        {info.downloadUrl, NewVersionPath(), L"The new version at:\n\n%s\n\ncould not be saved to:\n\n%s"}};
    String caption;
    caption.Format(L"%s update", ProgramName());
    String what;
    what.Format(L"Downloading %s %s...", ProgramName(), info.version.GetBuffer());
    UpdateDownload::Result result = UpdateDownload(settings, downloadFolder).Run(owner, caption, what, items);
    cancelled = result == UpdateDownload::Result::Cancelled;
    return result == UpdateDownload::Result::Saved ? 1 : 0;
}

VersionCheck::Outcome VersionCheck::Install(HWND owner, UpdateInfo& info) {
    if (downloadFolder.IsEmpty()) {
        // Without a folder of our own the files would land (and be deleted) wherever the paths led.
        return InstallFailed(owner, L"There is no folder to download the update to.");
    }
    String updater = UpdaterPath();
    String download = NewVersionPath();
    try {
        if (!DownloadUpdate(info, owner)) {
            quitPending = !cancelled;
            return cancelled ? Outcome::Cancelled : Outcome::Quit;
        }
        StartUpdater(info, updater, download);
    } catch (Exception* e) {
        // Nothing half-done stays behind to be started by mistake.
        DeleteFiles(updater, download);
        String text(e->GetMessageText().IsNull() ? L"" : e->GetMessageText().GetBuffer());
        delete e;
        return InstallFailed(owner, text);
    }
    quitPending = true;
    PostQuitMessage(0);
    return Outcome::Installed;
}

// Hashed and started through handles that let nobody change, replace or rename the files in
// between; the handles close (before the files are deleted) when anything fails. The updater
// learns the program to replace and what its replacement must be: the signed hash and version.
void VersionCheck::StartUpdater(UpdateInfo& info, const String& updater, const String& download) {
    LockedFile lockedUpdater(updater);
    LockedFile lockedDownload(download);
    if (!info.updaterSha256.Equals(UpdateSignature::FileSha256(lockedUpdater.handle).c_str()) ||
        !info.downloadSha256.Equals(UpdateSignature::FileSha256(lockedDownload.handle).c_str())) {
        throw new Exception(L"The downloaded files do not match the signed update.");
    }
    String arguments;
    arguments.Format(L"\"%s\" %s %s", application ? application->executablePath.GetBuffer() : L"",
                     info.downloadSha256.GetBuffer(), info.version.GetBuffer());
    StartFunction start = environment.start ? environment.start : ShellStart;
    if (!start(updater.GetBuffer(), arguments.GetBuffer(), downloadFolder.GetBuffer())) {
        throw new Exception(L"The updater could not be started.");
    }
}

VersionCheck::Outcome VersionCheck::InstallFailed(HWND owner, const String& reason) {
    String text;
    text.Format(L"Sorry, there was an error while installing the update.\n\n%s\n\nYou may retry again later.",
                reason.GetBuffer());
    MessageBoxFunction show = environment.messageBox ? environment.messageBox : MessageBoxW;
    show(owner, text.GetBuffer(), L"Error while installing update.", MB_OK);
    return Outcome::Failed;
}

VersionCheck::Outcome VersionCheck::Report(HWND owner, bool interactive, Outcome outcome, const String& text) {
    if (!interactive) {
        return outcome;  // the start-up check is silent
    }
    String shown(text);
    UINT icon = MB_ICONINFORMATION;
    if (outcome == Outcome::Unreachable) {
        shown = L"the update server could not be reached";
        icon = MB_ICONWARNING;
    } else if (outcome == Outcome::Unverified) {
        shown = L"the update server's reply could not be verified";
        icon = MB_ICONWARNING;
    } else if (outcome == Outcome::Stale) {
        shown = L"the update server's reply is out of date";
        icon = MB_ICONWARNING;
    } else if (outcome == Outcome::UpToDate) {
        shown.Format(L"%s %s is up to date", ProgramName(), RunningVersion().GetBuffer());
    }
    Ask(owner, shown, MB_OK | icon);
    return outcome;
}

int VersionCheck::Ask(HWND owner, const String& text, UINT type) {
    String caption;
    caption.Format(L"%s update", ProgramName());
    MessageBoxFunction show = environment.messageBox ? environment.messageBox : MessageBoxW;
    return show(owner, text.GetBuffer(), caption.GetBuffer(), type);
}

const wchar_t* VersionCheck::ProgramName() const {
    return application ? application->GetDisplayName() : L"Tarnwick";
}

String VersionCheck::RunningVersion() const {
    return application ? Application::FillFromVersion(application->ProductVersion, L"ProductVersion")
                       : GetVersionString(L"ProductVersion");
}

}  // namespace version
}  // namespace util
