#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "app/OutputQueue.h"

class OutputView;
class Thread;
namespace gui {
class Window;
}

// The way of a process window's output into its view. Readers push text into a bounded queue on
// their own threads; the window takes it on its own thread when woken by a posted message, and
// then on a timer while output keeps flowing, so that a fast child never floods the message queue.
// A turn takes batch after batch while nothing else waits for the window's thread.
// Also the Log to screen switch (off, output is dropped) and saving what the view holds.
class ProcessOutput {
public:
    // Characters pending for the view before a reader waits for the window. It bounds the batch
    // the window inserts at once: input and posted messages wait for about one such insert.
    static const size_t capacity = 128 * 1024;
    // The owner's timer that this object uses.
    static const UINT_PTR timerId = 1;

    // owner: the window that holds view, receives wakeMessage and the timer (not owned).
    ProcessOutput(gui::Window& owner, OutputView& view, UINT wakeMessage);
    ProcessOutput(const ProcessOutput&) = delete;
    ProcessOutput& operator=(const ProcessOutput&) = delete;

    // From a reader thread: see OutputQueue::Push.
    void Push(const wchar_t* text, Thread* writer, bool mayWait);
    // On the window's thread: the program's own text, shown at once after what readers queued.
    void AppendNow(const wchar_t* text);
    // On the window's thread: takes what readers queued into the view and sets the timer again.
    void Show();
    void SetLogToScreen(bool flag);
    bool GetLogToScreen() const { return logToScreen; }
    // Forgets what is queued (the process is gone, or the view was cleared).
    void Discard();
    // Writes the view's text, its tabs as they came, to path as UTF-8 with a byte-order mark;
    // throws on failure.
    void Save(const wchar_t* path);

private:
    // Takes what readers queued into the view; false when nothing was queued.
    bool TakeBatch();

    gui::Window& owner;
    OutputView& view;
    const UINT wakeMessage;
    std::atomic<bool> logToScreen;  // read by the reader threads too
    ULONGLONG lastTaken;            // tick count of the last batch taken
    OutputQueue queue;
    std::wstring batch;  // reused buffer of the text taken from the queue
};
