#pragma once

// The entry routine: sets the program's error mode, runs the current application and turns an
// escaped exception into a message box and exit code -1.
int RunApplicationEntry();

// Adds SEM_FAILCRITICALERRORS and SEM_NOGPFAULTERRORBOX to the error mode, which children
// inherit: a child that crashes, or asks for a missing disk, then ends instead of waiting in the
// system's error reporting, which would keep its run going for good. It also means that a crash
// of this program itself ends it without the system's box. The entry routine calls it once.
void SetQuietErrorMode();
