#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "common/ReadyText.h"
#include "common/StartOrderSettings.h"

// How far the current run of one entry has come for the entries that start after it: whether it
// runs, which of the texts they wait for a line of its output has held, and whether it ended by
// itself with exit code 0 (a one-shot set-up step, ready for everyone). Readiness belongs to the
// run: a new run, a stop or a failure forgets it.
//
// The run's output is fed on its reader thread; everything else is called on the window's
// thread. Free of Windows.
class RunReadiness {
public:
    // The texts the entries waiting for this one look for. A text already looked for keeps what
    // this run has shown of it; a new one is looked for from now on.
    void Watch(const std::vector<std::wstring>& texts);
    // A run has started: it is ready for entries without a text, and nothing of it is seen yet.
    void BeginRun();
    // The run has ended: by itself with exit code 0 it is ready for every entry, else for none.
    void EndRun(bool succeeded);
    // No current run (stopped, replaced, gone): ready for none.
    void Clear();
    // Output of the current run; true when a text was found for the first time in it.
    bool Feed(const wchar_t* output, size_t length);
    // Whether an entry with these settings, waiting for this one, may start now.
    bool IsReadyFor(const StartOrderSettings& order) const;
    bool IsRunning() const;

private:
    enum class Run { None, Going, Succeeded };

    mutable std::mutex lock;
    Run run = Run::None;
    std::vector<ReadyText> texts;
};
