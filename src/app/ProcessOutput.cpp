#include "app/ProcessOutput.h"

#include "app/OutputView.h"
#include "gui/Window.h"
#include "util/Exception.h"
#include "util/String.h"
#include "util/TextFile.h"

namespace {

// While output flows the window takes it on a timer, which waits for input and painting.
const UINT kOutputIntervalMs = 10;
const UINT kIdleCheckMs = 1000;
// How long one turn may go on taking batches while nothing else waits for the window's thread.
// A reader refills the queue in less time than the view takes to show a batch, so a turn that
// took only one batch and then waited for the timer would leave the reader waiting most of the time.
const ULONGLONG kTurnBudgetMs = 50;
// Output that has paused this long has stopped: its last batches are painted. A window that keeps
// up with its reader finds the queue empty now and then during a flood, and painting each time
// would cost the flood more than the text.
const UINT kSettleMs = 20;

// What waits for this thread: input, posted messages (the frame's own, other programs'), paints.
DWORD OthersWaiting() {
    return HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_PAINT | QS_HOTKEY));
}

}  // namespace

ProcessOutput::ProcessOutput(gui::Window& owner, OutputView& view, UINT wakeMessage)
    : owner(owner),
      view(view),
      wakeMessage(wakeMessage),
      logToScreen(false),
      lastTaken(0),
      queue(capacity,
            [this, wakeMessage] { return PostMessageW(this->owner.GetHandle(), wakeMessage, 0, 0) != FALSE; }) {}

void ProcessOutput::Push(const wchar_t* text, Thread* writer, bool mayWait) {
    queue.Push(text, writer, mayWait);
}

void ProcessOutput::AppendNow(const wchar_t* text) {
    // Keep the order: whatever readers queued is older than this.
    Show();
    view.Append(text);
    view.FinishPaint();
}

void ProcessOutput::Show() {
    ULONGLONG turnStart = GetTickCount64();
    bool flowing = TakeBatch();
    DWORD waiting = 0;
    while (flowing && GetTickCount64() - turnStart < kTurnBudgetMs && (waiting = OthersWaiting()) == 0) {
        flowing = TakeBatch();
    }
    ULONGLONG now = GetTickCount64();
    bool settled = now - lastTaken >= kSettleMs;
    // While output flows the window comes back every 10 ms, and once more when it may have
    // stopped; idle, every second all the same, for text whose wake-up was lost (a full message
    // queue) and that no later output brings along.
    SetTimer(owner.GetHandle(), timerId, flowing ? kOutputIntervalMs : settled ? kIdleCheckMs : kSettleMs, nullptr);
    if (flowing && waiting == QS_POSTMESSAGE) {
        // Only posted messages wait: this one comes after them, ahead of the timer. Never while
        // input or a paint waits, which a posted message would overtake.
        PostMessageW(owner.GetHandle(), wakeMessage, 0, 0);
    }
    if (!flowing && settled && view.GetHandle()) {
        view.FinishPaint();  // the flow stopped: its last batches are shown now
    }
    // Keep the buffer's memory only while output flows at batch sizes that justify it.
    if (batch.capacity() > 4 * capacity) {
        std::wstring().swap(batch);
    }
}

bool ProcessOutput::TakeBatch() {
    bool taken = queue.TakeAll(batch);
    if (taken) {
        lastTaken = GetTickCount64();
    }
    if (taken && logToScreen && view.GetHandle()) {
        view.Append(batch);
    }
    return taken;
}

void ProcessOutput::SetLogToScreen(bool flag) {
    logToScreen = flag;
    if (!flag) {
        queue.Discard();  // with the echo off, output is dropped, also what was on its way
    }
}

void ProcessOutput::Discard() {
    queue.Discard();
}

void ProcessOutput::Save(const wchar_t* path) {
    std::wstring text = view.GetSavedText();
    String wide(text.c_str());
    const char* bytes = wide.GetUTF8();
    util::TextFile file(path);
    file.SetEncoding(util::Encoding::UTF8);
    try {
        file.CreateNew();
        file.Write(bytes, static_cast<DWORD>(strlen(bytes)));
        file.Close();
    } catch (Exception*) {
        file.Close();
        throw;
    }
}
