#include "platform/ShellRegistry.h"

namespace platform {

HRESULT RegistryGetDWORD(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD* data) {
    if (!data) return E_INVALIDARG;
    DWORD value = 0;
    DWORD bytes = sizeof value;
    LONG result = RegGetValueW(root, subkey, name, RRF_RT_REG_DWORD, nullptr, &value, &bytes);
    if (result != ERROR_SUCCESS) return HRESULT_FROM_WIN32(result);
    *data = value;
    return S_OK;
}

} // namespace platform
