#pragma once

#include <string>

// The name of a kernel object that stands for one configuration file of one user:
// "Local\<kind>.<user>.<hash>". The hash (64-bit FNV-1a, 16 hex digits) is over the file's full
// path as the caller gives it, already upper-cased: a path may be longer than an object name may
// be and holds backslashes, which an object name cannot. Local\ names are per session, which is
// where the frame they lead to can be brought to the front.
std::wstring InstanceName(const std::wstring& kind, const std::wstring& user, const std::wstring& upperPath);
