#include "win32/VersionString.h"

#include <windows.h>

#include <cstring>
#include <vector>

String GetVersionString(const wchar_t* name) {
    return GetVersionString(name, nullptr, 1);
}

String GetVersionString(const wchar_t* name, HINSTANCE__* module, int resourceId) {
    String result(L"");
    HMODULE owner = module ? module : GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(owner, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(16));  // RT_VERSION
    HGLOBAL loaded = found ? LoadResource(owner, found) : nullptr;
    const void* locked = loaded ? LockResource(loaded) : nullptr;
    if (!locked || !name) {
        return result;
    }
    // VerQueryValueW is documented for a writable copy of the block, not for the mapped image.
    std::vector<char> block(SizeofResource(owner, found));
    std::memcpy(block.data(), locked, block.size());
    void* data = nullptr;
    UINT size = 0;
    String subBlock;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &size) && size == 4) {
        const BYTE* bytes = static_cast<const BYTE*>(data);  // language, then code page, each little-endian
        subBlock.Format(L"\\StringFileInfo\\%02X%02X%02X%02X\\%s", bytes[1], bytes[0], bytes[3], bytes[2], name);
    } else {
        subBlock.Format(L"\\StringFileInfo\\%04X04B0\\%s", GetUserDefaultLangID(), name);
    }
    if (VerQueryValueW(block.data(), subBlock.GetBuffer(), &data, &size) && data) {
        result = static_cast<const wchar_t*>(data);
    }
    return result;
}
