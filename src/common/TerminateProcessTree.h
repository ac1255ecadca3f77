#pragma once

// Ends a process and all its descendants, the deepest first. Returns non-zero when the final
// termination of the given process succeeded. Throws Exception* when the process list cannot be
// read. A process created before its supposed parent is not taken for its child (the parent's
// id may have been reused).
int TerminateProcessTree(unsigned long processId);
