#pragma once

#include <string>

namespace testsupport {

// The folder of the running test executable (where the helper programs are built too),
// without a trailing backslash.
std::wstring ExecutableDirectory();
// Full path of a program built beside the tests, e.g. HelperPath(L"ChildProbe.exe").
std::wstring HelperPath(const std::wstring& fileName);

}  // namespace testsupport
