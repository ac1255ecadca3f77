#pragma once

#include <cstdint>
#include <string>

// What the process panel says of one process window: the short state text of its row and which
// state icon goes with it. Plain text arithmetic on facts the panel gathers, tested natively.
//   "running 0:12:03"     running, h:mm:ss since the run started
//   "restarting in 4 s"   the restart policy waits to start the run again
//   "stopping"            a stop was asked for and the run has not ended yet
//   "waiting"             waiting to start after another entry
//   "exit code 3"         ended by itself with a code other than 0
//   "crashed 0xC0000005"  ended by itself with an error status of the system
//   "failed to start"     the last launch could not start the program
//   "stopped"             anything else that is not running
class PanelStateText {
public:
    // The icons of StateIcons, by meaning.
    enum class Icon { Running, Stopped, Stopping, Failed };

    struct Facts {
        int state = 0;               // a ProcessWindow::State (0 stopped, 1 running, 2 stopping, 3 waiting)
        uint64_t runMs = 0;          // how long the current run has lasted, while running
        uint64_t restartInMs = 0;    // what is left of the restart policy's wait; 0 when none waits
        bool endedByItself = false;  // the last run ended by itself, not by a stop
        bool failedToStart = false;  // the last launch failed to start
        uint32_t exitCode = 0;       // the last run's exit code
    };

    static std::wstring Text(const Facts& facts);
    static Icon IconFor(const Facts& facts);
    // An exit code that is an error status of the system (both severity bits set), as an access
    // violation leaves it, rather than a code the program chose.
    static bool IsCrash(uint32_t exitCode);
    // "h:mm:ss", the hours unbounded.
    static std::wstring Elapsed(uint64_t ms);

private:
    // The last run failed: a code other than 0 by itself, or no start at all.
    static bool Failed(const Facts& facts);
};
