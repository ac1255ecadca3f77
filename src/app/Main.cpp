#include <windows.h>

#include "app/App.h"
#include "app/Entry.h"

// The one application object, built before the entry routine runs.
static App theApp;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunApplicationEntry(); }
