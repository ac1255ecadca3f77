#include "app/InstanceClaim.h"

#include <sddl.h>

#include <vector>

#include "app/App.h"
#include "app/InstanceName.h"
#include "app/MainWindow.h"

namespace {

// How long the second start waits on the claim between two looks for the frame.
const DWORD kPollMs = 20;
// How long the frame may take to answer; a busy frame is asked again on the next look.
const UINT kAnswerMs = 2000;

struct FrameSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<FrameSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[32] = L"";
    if (process == search->processId && GetClassNameW(window, className, 32) &&
        lstrcmpW(className, MainWindow::frameClass) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

InstanceClaim::InstanceClaim(const String& path) : mutex(nullptr), mapping(nullptr), owned(false) {
    std::wstring key = Key(path);
    std::wstring user = UserName();
    claimName = InstanceName(L"Tarnwick.Claim", user, key);
    ownerName = InstanceName(L"Tarnwick.Owner", user, key);
}

InstanceClaim::~InstanceClaim() {
    if (mapping) {
        CloseHandle(mapping);
    }
    if (mutex) {
        if (owned) {
            ReleaseMutex(mutex);
        }
        CloseHandle(mutex);
    }
}

std::wstring InstanceClaim::Key(const String& path) {
    std::wstring key(App::AbsolutePath(path).GetBuffer());
    if (!key.empty()) {
        CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    }
    return key;
}

std::wstring InstanceClaim::UserName() {
    HANDLE token = nullptr;
    std::wstring name = L"user";
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return name;
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    wchar_t* sid = nullptr;
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        name = sid;
        LocalFree(sid);
    }
    CloseHandle(token);
    return name;
}

InstanceClaim::Outcome InstanceClaim::TakeOrHandOver(DWORD waitMs) {
    mutex = CreateMutexW(nullptr, FALSE, claimName.c_str());
    if (!mutex) {
        return Outcome::Claimed;  // better a second copy than no start at all
    }
    ULONGLONG end = GetTickCount64() + waitMs;
    for (DWORD wait = 0;; wait = kPollMs) {
        DWORD result = WaitForSingleObject(mutex, wait);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
            owned = true;
            PublishOwner();
            return Outcome::Claimed;
        }
        if (result == WAIT_FAILED) {
            return Outcome::Claimed;
        }
        DWORD owner = ReadOwner();
        if (owner && HandOver(owner)) {
            return Outcome::HandedOver;
        }
        if (GetTickCount64() >= end) {
            return Outcome::NoFrame;
        }
    }
}

bool InstanceClaim::TryTake() {
    mutex = mutex ? mutex : CreateMutexW(nullptr, FALSE, claimName.c_str());
    DWORD result = mutex ? WaitForSingleObject(mutex, 0) : WAIT_FAILED;
    owned = owned || result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    if (owned && !mapping) {
        PublishOwner();
    }
    return owned;
}

void InstanceClaim::PublishOwner() {
    mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD), ownerName.c_str());
    void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(DWORD)) : nullptr;
    if (view) {
        // An instance killed while a later start looked at its mapping may have left it behind.
        *static_cast<volatile DWORD*>(view) = GetCurrentProcessId();
        UnmapViewOfFile(view);
    }
}

DWORD InstanceClaim::ReadOwner() const {
    HANDLE existing = OpenFileMappingW(FILE_MAP_READ, FALSE, ownerName.c_str());
    if (!existing) {
        return 0;  // the owner has taken the claim but not yet named itself
    }
    DWORD owner = 0;
    void* view = MapViewOfFile(existing, FILE_MAP_READ, 0, 0, sizeof(DWORD));
    if (view) {
        owner = *static_cast<volatile DWORD*>(view);
        UnmapViewOfFile(view);
    }
    CloseHandle(existing);
    return owner;
}

bool InstanceClaim::HandOver(DWORD owner) {
    HWND frame = FindFrame(owner);
    if (!frame) {
        return false;  // still starting: its frame is not made yet
    }
    // This start is the user's latest action, so it may let the frame take the foreground.
    AllowSetForegroundWindow(owner);
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(frame, MainWindow::frontMessage, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerMs,
                               &answer) &&
           answer == 1;
}

HWND InstanceClaim::FindFrame(DWORD processId) {
    FrameSearch search = {processId, nullptr};
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
