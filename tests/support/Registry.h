#pragma once
// Direct access to the test prefix's registry, to arrange and inspect what the program stores.
#include <windows.h>

#include <optional>

namespace testing_support {

// Removes HKEY_CURRENT_USER\Software\Orvanix\PIM with everything below it.
void DeletePimBranch();

std::optional<DWORD> GetDword(HKEY root, const wchar_t* path, const wchar_t* name);
void SetDword(HKEY root, const wchar_t* path, const wchar_t* name, DWORD value);
void SetString(HKEY root, const wchar_t* path, const wchar_t* name, const wchar_t* value);

} // namespace testing_support
