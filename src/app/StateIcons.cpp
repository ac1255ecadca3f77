#include "app/StateIcons.h"

#include "util/Exception.h"
#include "util/SystemError.h"

namespace {

// The values of ProcessWindow::State; this file only needs the numbers.
const int kRunning = 1;
const int kStopped = 0;
const int kStopping = 2;
const int kRunningIcon = 102;
const int kStoppedIcon = 103;
const int kStoppingIcon = 105;
const int kFailedIcon = 106;

}  // namespace

StateIcons::StateIcons() : running(nullptr), stopped(nullptr), stopping(nullptr), failed(nullptr) {}

HICON StateIcons::For(HINSTANCE instance, int state) {
    if (state == kRunning) {
        return running ? running : (running = Load(instance, kRunningIcon));
    }
    if (state == kStopped) {
        return stopped ? stopped : (stopped = Load(instance, kStoppedIcon));
    }
    if (state == kStopping) {
        return stopping ? stopping : (stopping = Load(instance, kStoppingIcon));
    }
    return nullptr;
}

HICON StateIcons::Failed(HINSTANCE instance) {
    return failed ? failed : (failed = Load(instance, kFailedIcon));
}

HICON StateIcons::Load(HINSTANCE instance, int resourceId) {
    HANDLE loaded = LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED);
    if (!loaded) {
        throw new Exception(L"MainWindowBase::SetIcon(%i) %s", resourceId, GetSystemErrorText());
    }
    return static_cast<HICON>(loaded);
}
