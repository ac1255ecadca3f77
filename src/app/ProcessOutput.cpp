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

}  // namespace

ProcessOutput::ProcessOutput(gui::Window& owner, OutputView& view, UINT wakeMessage)
    : owner(owner), view(view), logToScreen(false), queue(capacity, [this, wakeMessage] {
          return PostMessageW(this->owner.GetHandle(), wakeMessage, 0, 0) != FALSE;
      }) {}

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
    bool flowing = queue.TakeAll(batch);
    // While output flows the window comes back every 10 ms; idle, every second all the same, for
    // text whose wake-up was lost (a full message queue) and that no later output brings along.
    SetTimer(owner.GetHandle(), timerId, flowing ? kOutputIntervalMs : kIdleCheckMs, nullptr);
    if (logToScreen && view.GetHandle()) {
        view.Append(batch);
    }
    if (!flowing && view.GetHandle()) {
        view.FinishPaint();  // the flow stopped: its last batches are shown now
    }
    // Keep the buffer's memory only while output flows at batch sizes that justify it.
    if (batch.capacity() > 4 * capacity) {
        std::wstring().swap(batch);
    }
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
    std::wstring text = view.GetAllText();
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
