#pragma once

#include <windows.h>

#include "util/Object.h"
#include "util/String.h"

// The pipe a child writes its standard output and error into: a named pipe of one instance that
// refuses remote clients. This program's end reads overlapped; the child's end is synchronous,
// as programs expect of their standard handles (writes from several threads to an overlapped
// handle fail once the pipe is full, and their bytes are lost).
class OutputPipe : public Object {
public:
    OutputPipe();
    ~OutputPipe() override;
    OutputPipe(const OutputPipe&) = delete;
    OutputPipe& operator=(const OutputPipe&) = delete;

    // Makes both ends, closing any still held. A name already taken is given up for a new one,
    // a few times, each after a short wait that the stop event cuts short. False when a stop came
    // first; throws when the pipe cannot be made.
    bool Create(HANDLE stopEvent);
    // This program's end: overlapped reads, never inherited.
    HANDLE ReadEnd() const { return readEnd; }
    // The child's end, inheritable until KeepFromOtherChildren.
    HANDLE ChildEnd() const { return childEnd; }
    const String& GetName() const { return name; }
    // Once the child has its copy: nothing else this program starts inherits the end.
    void KeepFromOtherChildren();
    // Closes both ends; a failed close raises a message naming the end.
    void Close();

    static constexpr DWORD BufferSize = 131140;

protected:
    // The name of the next attempt, unique in the system. A seam: tests give taken names.
    virtual String NextName();

private:
    bool TryCreate(const String& pipeName);
    void Connect();

    HANDLE readEnd;
    HANDLE childEnd;
    String name;
};
