#pragma once

#include <functional>

#include "util/Object.h"
#include "util/String.h"

// Facts about the Windows system the program runs on.
class System : public Object {
public:
    // True on 64-bit Windows. The 64-bit build can only run there; the 32-bit build asks whether
    // it runs under WOW64, and throws when the system cannot tell.
    static bool Is64Bit();
    // The full path of this program's file as the system loaded it, however long; null when the
    // system cannot tell.
    static String ModulePath();
    // What a function of GetModuleFileNameW's kind fills in, however long: such a function cuts
    // the text to the buffer and returns the buffer's size (with or without a null, as the
    // Windows version has it), so the buffer grows until the text fits. Null when fill returns 0.
    using Fill = std::function<unsigned long(wchar_t* buffer, unsigned long size)>;
    static String GrowingText(const Fill& fill);
    // The system folder (System32, as this program sees it) and the Windows folder; null when
    // the system cannot tell.
    static String SystemFolder();
    static String WindowsFolder();
};
