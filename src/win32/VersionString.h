#pragma once

#include "util/String.h"

struct HINSTANCE__;

// One string of a module's version resource (type RT_VERSION), looked up in the string table of
// the resource's first translation, or of the user's default language with code page 04B0 when
// it has none. Keys match ignoring case. An empty String when the resource or the key is missing.
String GetVersionString(const wchar_t* name);
// The same for the resource with this identifier in the given module (null: the program).
String GetVersionString(const wchar_t* name, HINSTANCE__* module, int resourceId);
