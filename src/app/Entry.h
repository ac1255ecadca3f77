#pragma once

// The entry routine: runs the current application and turns an escaped exception into a
// message box and exit code -1.
int RunApplicationEntry();
