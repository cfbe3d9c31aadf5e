#include "platform/FileMapping.h"

namespace platform {

HANDLE CreateFileForMappingW(const wchar_t* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                             DWORD creation, DWORD flags, HANDLE templateFile) {
    return ::CreateFileW(path, access, share, security, creation, flags, templateFile);
}

} // namespace platform
