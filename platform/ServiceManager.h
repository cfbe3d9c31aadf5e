#pragma once
// Desktop stand-in for the platform's service manager. A service is a library with the entry points
// "<prefix>_Init" (context → open context, 0 = failure), "<prefix>_Deinit" and "<prefix>_IOControl",
// registered under the device name "<prefix><index>:" and run inside the calling process.
#include <windows.h>

namespace platform {

constexpr DWORD ERROR_DEVICE_IN_USE_CODE = 2404;

// The running service with this device name ("IPM0:"), or null. dllName may be null.
HANDLE GetServiceHandle(const wchar_t* deviceName, wchar_t* dllName, DWORD* dllNameSize);

// Loads and starts a service; null with the last error set on failure (2404 when the device name
// is taken already).
HANDLE RegisterService(const wchar_t* prefix, DWORD index, const wchar_t* dllName, DWORD context);

// Hands a control request to the service's "<prefix>_IOControl".
BOOL ServiceIoControl(HANDLE service, DWORD code, void* input, DWORD inputBytes, void* output,
                      DWORD outputBytes, DWORD* actualBytes, OVERLAPPED* overlapped);

// Stops a service and unloads its library.
BOOL DeregisterService(HANDLE service);

} // namespace platform
