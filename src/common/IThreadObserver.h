#pragma once

// Told when a Thread starts (true) and when its run has ended (false), once each per run.
// Called on the thread that starts or stops it, or on the worker itself when the run ends by
// itself: implementations must not assume the GUI thread.
class IThreadObserver {
public:
    virtual void ThreadStateChanged(bool running) = 0;
    virtual ~IThreadObserver() = default;
};
