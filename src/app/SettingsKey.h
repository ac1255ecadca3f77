#pragma once

// The program's key below HKEY_CURRENT_USER, where the user's choices are kept.
namespace settings {

constexpr const wchar_t* key = L"Software\\Hollbrae\\Tarnwick";

}  // namespace settings
