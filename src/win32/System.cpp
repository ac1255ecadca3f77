#include "win32/System.h"

#include <windows.h>

#include "util/Exception.h"

bool System::Is64Bit() {
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64)) {
        throw new Exception(L"System::Is64Bit()\nIsWow64Process failed");
    }
    return wow64 != FALSE;
#endif
}
