#pragma once
// Opening files for memory mapping. The phone needs a handle made for mapping; the desktop maps any
// file handle, so the stand-in opens the file the ordinary way.
#include <windows.h>

namespace platform {

HANDLE CreateFileForMappingW(const wchar_t* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                             DWORD creation, DWORD flags, HANDLE templateFile);

} // namespace platform
