#include "gui/RichEditControl.h"

#include "util/Exception.h"

namespace gui {

HMODULE RichEditControl::library = nullptr;
const wchar_t* RichEditControl::richEditClass = nullptr;
int RichEditControl::libraryLoads = 0;

RichEditControl::RichEditControl() : EditControl(L"RichEditControl") {
    if (!richEditClass) {
        library = LoadLibraryW(L"Msftedit.dll");
        if (library) {
            richEditClass = L"RICHEDIT50W";
        } else {
            library = LoadLibraryW(L"Riched20.dll");
            if (library) {
                richEditClass = L"RichEdit20W";
            }
        }
        if (!richEditClass) {
            throw new Exception(L"Could not locate any library for the RichEditControl.");
        }
        ++libraryLoads;
    }
    windowClassName = richEditClass;
}

}  // namespace gui
