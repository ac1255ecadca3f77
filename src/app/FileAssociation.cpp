#include "app/FileAssociation.h"

#include <windows.h>

#include <shlobj.h>

#include "util/String.h"
#include "win32/Registry.h"

namespace {

const wchar_t kExtension[] = L".tnkx";
const wchar_t kProgId[] = L"Hollbrae.Tarnwick.1";

}  // namespace

void RegisterFileAssociation(const wchar_t* executablePath) {
    String extensionKey;
    extensionKey.Format(L"Software\\Classes\\%s", kExtension);
    String commandKey;
    commandKey.Format(L"Software\\Classes\\%s\\shell\\open\\command", kProgId);
    String command;
    command.Format(L"\"%s\" \"%%1\"", executablePath);

    String registered;
    if (win32::Registry::ReadString(HKEY_CURRENT_USER, commandKey.GetBuffer(), nullptr, registered, true) &&
        registered.Equals(command)) {
        return;
    }
    win32::Registry::WriteString(HKEY_CURRENT_USER, commandKey.GetBuffer(), nullptr, command.GetBuffer());
    win32::Registry::WriteString(HKEY_CURRENT_USER, extensionKey.GetBuffer(), nullptr, kProgId);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}
