#pragma once

#include "util/Object.h"

// Facts about the Windows system the program runs on.
class System : public Object {
public:
    // True on 64-bit Windows. The 64-bit build can only run there; the 32-bit build asks whether
    // it runs under WOW64, and throws when the system cannot tell.
    static bool Is64Bit();
};
