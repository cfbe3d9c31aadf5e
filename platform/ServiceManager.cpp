#include "platform/ServiceManager.h"

#include <list>
#include <string>

namespace platform {

namespace {

using InitEntry = DWORD(WINAPI*)(DWORD);
using DeinitEntry = BOOL(WINAPI*)(DWORD);
using IoControlEntry = BOOL(WINAPI*)(DWORD, DWORD, BYTE*, DWORD, BYTE*, DWORD, DWORD*);

struct Service {
    std::wstring deviceName;
    std::wstring dllName;
    HMODULE library;
    DWORD openContext;
    DeinitEntry deinit;
    IoControlEntry ioControl;
};

std::list<Service>& Services() {
    static std::list<Service> services;
    return services;
}

Service* Find(HANDLE handle) {
    for (Service& service : Services()) {
        if (&service == handle) return &service;
    }
    return nullptr;
}

template <class Entry> Entry EntryPoint(HMODULE library, const std::wstring& prefix, const char* suffix) {
    const std::string name = std::string(prefix.begin(), prefix.end()) + suffix;
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, name.c_str())));
}

} // namespace

HANDLE GetServiceHandle(const wchar_t* deviceName, wchar_t* dllName, DWORD* dllNameSize) {
    if (!deviceName) return nullptr;
    for (Service& service : Services()) {
        if (_wcsicmp(service.deviceName.c_str(), deviceName) != 0) continue;
        if (dllName && dllNameSize && *dllNameSize > service.dllName.size())
            wcscpy(dllName, service.dllName.c_str());
        return &service;
    }
    return nullptr;
}

HANDLE RegisterService(const wchar_t* prefix, DWORD index, const wchar_t* dllName, DWORD context) {
    if (!prefix || !dllName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::wstring device = prefix + std::to_wstring(index) + L":";
    if (GetServiceHandle(device.c_str(), nullptr, nullptr)) {
        SetLastError(ERROR_DEVICE_IN_USE_CODE);
        return nullptr;
    }
    HMODULE library = LoadLibraryW(dllName);
    if (!library) return nullptr;
    const auto init = EntryPoint<InitEntry>(library, prefix, "_Init");
    const auto ioControl = EntryPoint<IoControlEntry>(library, prefix, "_IOControl");
    const DWORD openContext = init && ioControl ? init(context) : 0;
    if (!openContext) {
        FreeLibrary(library);
        SetLastError(ERROR_INVALID_FUNCTION);
        return nullptr;
    }
    Services().push_back({device, dllName, library, openContext,
                          EntryPoint<DeinitEntry>(library, prefix, "_Deinit"), ioControl});
    return &Services().back();
}

BOOL ServiceIoControl(HANDLE handle, DWORD code, void* input, DWORD inputBytes, void* output,
                      DWORD outputBytes, DWORD* actualBytes, OVERLAPPED*) {
    Service* service = Find(handle);
    if (!service) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return service->ioControl(service->openContext, code, static_cast<BYTE*>(input), inputBytes,
                              static_cast<BYTE*>(output), outputBytes, actualBytes);
}

BOOL DeregisterService(HANDLE handle) {
    for (auto it = Services().begin(); it != Services().end(); ++it) {
        if (&*it != handle) continue;
        if (it->deinit) it->deinit(it->openContext);
        FreeLibrary(it->library);
        Services().erase(it);
        return TRUE;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

} // namespace platform
