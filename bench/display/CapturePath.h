#pragma once

#include <string>

// The program's capture path with a view that draws nothing: the flood child's output read by a
// Process into an OutputQueue that a thread of its own empties, as the window would. The rate
// of the same flood through it is what the program's display is measured against.
class CapturePath {
public:
    CapturePath();
    ~CapturePath();
    CapturePath(const CapturePath&) = delete;
    CapturePath& operator=(const CapturePath&) = delete;

    // Characters a second for a flood of bytes of lines, from the request until the last of them
    // is taken from the queue; negative when the child did not start or did not finish in time.
    double Rate(size_t bytes);

private:
    struct State;
    State* state;
};
