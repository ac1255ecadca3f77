#pragma once

#include <windows.h>

#include <vector>

// Ends a process and all its descendants, the deepest first. Returns non-zero when the final
// termination of the given process succeeded. Throws Exception* when the process list cannot be
// read. A process created before its supposed parent is not taken for its child (the parent's
// id may have been reused).
int TerminateProcessTree(unsigned long processId);

// Whether the process or one of its descendants (as TerminateProcessTree finds them) still
// runs; the caller holds the process open, so that its id cannot go to another meanwhile. Throws
// Exception* when the process list cannot be read.
bool ProcessTreeRuns(unsigned long processId);

// The process's id and its descendants' (as TerminateProcessTree finds them), the process held
// open by the caller. Throws Exception* when the process list cannot be read.
std::vector<DWORD> ProcessTreeIds(unsigned long processId);

// Waits, at most timeoutMs, until the process has set itself up (it has its process environment
// block) or has ended; the caller ends it either way. Under Wine, ending a process while it is
// still connecting to the server can bring the whole server down. Setting up takes milliseconds,
// and on Windows the block exists from the start.
void WaitUntilProcessStarted(HANDLE process, DWORD timeoutMs);

// False when the open process records a parent other than parentId (its id was reused after a
// snapshot listed it); true when it does, or when that cannot be told.
bool RecordedParentIs(HANDLE process, DWORD parentId);

// How the walk opens a process by id: OpenProcess, or a test's own (to make an open fail).
extern HANDLE(WINAPI* openProcessForTree)(DWORD access, BOOL inherit, DWORD processId);
