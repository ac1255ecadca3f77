#pragma once

#include "util/IProperties.h"
#include "util/Object.h"

namespace util {

// Settings kept as string values under HKEY_CURRENT_USER\Software\<company>\<product>, both
// names from the program's version resource. Reads see the 64-bit view of the registry.
class RegistryProperties : public Object, public IProperties {
public:
    RegistryProperties();

    bool GetProperty(const wchar_t* name, String& value, const wchar_t* subKey = nullptr) override;
    bool SetProperty(const wchar_t* name, const wchar_t* value, const wchar_t* subKey = nullptr) override;

    const String& GetKeyPath() const { return keyPath; }

private:
    String KeyOf(const wchar_t* subKey) const;

    String keyPath;
};

}  // namespace util
