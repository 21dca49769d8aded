#pragma once
// Win32 runtime: the application object: where the exe lies, and its title and version from its version record.
#include <cstdint>
#include <string>

namespace App {
// Folder of the running exe; no trailing separator except at a drive root ("C:\").
std::u16string Path();
// Title and version numbers read from the exe's own version record.
std::u16string Title();
int16_t Major();
int16_t Minor();
int16_t Revision();
}  // namespace App

// folder + "\" + name, without doubling the separator at a drive root.
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name);
