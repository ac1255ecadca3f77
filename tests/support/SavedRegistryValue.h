#pragma once

#include <string>

namespace testsupport {

// One string value of the current user's registry, put back as it was when the test ends:
// rewritten when it existed, deleted when it did not.
class SavedRegistryValue {
public:
    // name empty: the key's default value.
    SavedRegistryValue(const std::wstring& subKey, const std::wstring& name);
    ~SavedRegistryValue();
    SavedRegistryValue(const SavedRegistryValue&) = delete;
    SavedRegistryValue& operator=(const SavedRegistryValue&) = delete;

    // The value now; empty when absent.
    std::wstring Read() const;
    void Write(const std::wstring& text) const;
    void Delete() const;

private:
    std::wstring subKey;
    std::wstring name;
    bool existed;
    std::wstring saved;
};

}  // namespace testsupport
