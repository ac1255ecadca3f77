// A program without an application object: the entry routine must refuse to run.
#include "app/Entry.h"

int wmain() { return RunApplicationEntry(); }
