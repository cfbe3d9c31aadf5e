#pragma once
// The phone shell's registry helper.
#include <windows.h>

namespace platform {

// Reads a REG_DWORD value of root\subkey into data; S_OK on success, a failure code (data untouched)
// when the key, the value or the right type is missing.
HRESULT RegistryGetDWORD(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD* data);

} // namespace platform
