#pragma once

class EnvironmentBlock;

// Variables that tell console programs to behave as in a console although their output goes into
// a pipe: FORCE_COLOR=1 (colour codes, which the window shows) unless FORCE_COLOR or NO_COLOR is
// set already, and PYTHONUNBUFFERED=1 unless set (Python fills 8 KB before it writes to a pipe
// otherwise). Applied after every other variable of the child, so that the user's own win.
class ConsoleHints {
public:
    // Appends the hints that block lacks; false when one did not fit.
    static bool Apply(EnvironmentBlock& block);
};
