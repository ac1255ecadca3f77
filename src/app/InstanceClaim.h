#pragma once

#include <windows.h>

#include <string>

#include "util/String.h"

// One running Tarnwick per configuration file, user and session. The first start on a file claims
// it with a named mutex, which the system lets go of however the owner ends (a killed instance
// leaves it abandoned, which counts as free), and names its process in a small named mapping. A
// later start on the same file finds that process's frame, asks it to come to the front and ends.
// The file is compared as a full path, upper-cased.
class InstanceClaim {
public:
    enum class Outcome {
        Claimed,     // this process is the instance for the file (also when no object could be made)
        HandedOver,  // the running instance's frame came to the front
        NoFrame      // another instance holds the file, but its frame did not answer in time
    };

    // path: the configuration file as this start names it (made absolute here).
    explicit InstanceClaim(const String& path);
    // Lets go of the claim: a start after this one is an instance again.
    ~InstanceClaim();
    InstanceClaim(const InstanceClaim&) = delete;
    InstanceClaim& operator=(const InstanceClaim&) = delete;

    // Takes the claim or hands over to the instance that holds it. While that instance is still
    // starting (no frame yet) or exiting (its frame declines), waits up to waitMs for its frame or
    // for the claim to come free.
    Outcome TakeOrHandOver(DWORD waitMs);
    // Takes the claim when it is free now; false when another instance holds it.
    bool TryTake();

    // The key of path: its full path, upper-cased as the file system compares names.
    static std::wstring Key(const String& path);

private:
    void PublishOwner();
    DWORD ReadOwner() const;
    // Asks the owner's frame to come to the front; true when it did.
    static bool HandOver(DWORD owner);
    static HWND FindFrame(DWORD processId);
    // The string form of the user's SID; "user" when the token cannot be read.
    static std::wstring UserName();

    std::wstring claimName;
    std::wstring ownerName;
    HANDLE mutex;    // owned; held by the thread that took the claim
    HANDLE mapping;  // owned; holds the claiming process's id
    bool owned;
};
