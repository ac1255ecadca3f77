#pragma once

#include <windows.h>

#include "gui/EditControl.h"

namespace gui {

// An edit control of the richest edit library the system has. The library is chosen and loaded
// by the first construction and kept for the life of the process.
class RichEditControl : public EditControl {
public:
    RichEditControl();

    static HMODULE GetLibrary() { return library; }
    static const wchar_t* GetRichEditClass() { return richEditClass; }
    // How often a library was loaded (once per process unless every attempt failed).
    static int GetLibraryLoads() { return libraryLoads; }

private:
    static HMODULE library;
    static const wchar_t* richEditClass;
    static int libraryLoads;
};

}  // namespace gui
