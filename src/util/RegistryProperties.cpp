#include "util/RegistryProperties.h"

#include "app/Application.h"
#include "win32/Registry.h"
#include "win32/VersionString.h"

namespace util {

namespace {

// The application's cache when there is an application, else the resource itself.
String VersionValue(String Application::*cache, const wchar_t* key) {
    Application* application = Application::GetCurrent();
    return application ? Application::FillFromVersion(application->*cache, key) : GetVersionString(key);
}

}  // namespace

RegistryProperties::RegistryProperties() {
    className = L"RegistryProperties";
    String product = VersionValue(&Application::ProductName, L"ProductName");
    String company = VersionValue(&Application::CompanyName, L"CompanyName");
    keyPath.Format(L"Software\\%s\\%s", company.GetBuffer(), product.GetBuffer());
}

String RegistryProperties::KeyOf(const wchar_t* subKey) const {
    String key(keyPath);
    if (subKey) {
        key.Format(L"%s\\%s", keyPath.GetBuffer(), subKey);
    }
    return key;
}

bool RegistryProperties::GetProperty(const wchar_t* name, String& value, const wchar_t* subKey) {
    bool found = win32::Registry::ReadString(HKEY_CURRENT_USER, KeyOf(subKey).GetBuffer(), name, value, true);
    if (!found) {
        value = String();
    }
    return found;
}

bool RegistryProperties::SetProperty(const wchar_t* name, const wchar_t* value, const wchar_t* subKey) {
    return win32::Registry::WriteString(HKEY_CURRENT_USER, KeyOf(subKey).GetBuffer(), name, value);
}

}  // namespace util
