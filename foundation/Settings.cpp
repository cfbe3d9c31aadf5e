#include "foundation/Settings.h"

#include "foundation/ScopedHandles.h"

#include <new>

HKEY OpenPimKey(const wchar_t* subkey, bool create) {
    if (!subkey) return nullptr;
    WString path = L"Software\\Orvanix\\PIM\\";
    path += subkey;
    HKEY key = nullptr;
    LONG result = create ? RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                           nullptr, &key, nullptr)
                         : RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
    return result == ERROR_SUCCESS ? key : nullptr;
}

int ReadDword(const wchar_t* subkey, const wchar_t* name, int defaultValue) {
    if (!subkey || !name) return defaultValue;
    ScopedRegKey key(OpenPimKey(subkey, false));
    if (!key) return defaultValue;
    DWORD value = 0;
    DWORD type = 0;
    DWORD bytes = sizeof value;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return defaultValue;
    return static_cast<int>(value);
}

WString ReadString(const wchar_t* subkey, const wchar_t* name) {
    if (!subkey || !name) return WString();
    ScopedRegKey key(OpenPimKey(subkey, false));
    if (!key) return WString();
    DWORD bytes = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return WString();

    WString text;
    int chars = static_cast<int>(bytes / sizeof(wchar_t));
    wchar_t* buffer = text.GetBuffer(chars);
    if (!buffer) return WString();
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return WString();
    // The stored text need not carry its terminator.
    buffer[bytes / sizeof(wchar_t)] = 0;
    text.ReleaseBuffer();
    return text;
}

std::unique_ptr<BYTE[]> ReadBinary(const wchar_t* subkey, const wchar_t* name, DWORD& size) {
    size = 0;
    if (!name) return nullptr;
    ScopedRegKey key(OpenPimKey(subkey, false));
    if (!key) return nullptr;
    DWORD bytes = 0;
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return nullptr;
    std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[bytes]);
    if (!data || RegQueryValueExW(key.Get(), name, nullptr, &type, data.get(), &bytes) != ERROR_SUCCESS)
        return nullptr;
    size = bytes;
    return data;
}

int WriteDword(const wchar_t* name, DWORD value) {
    if (!name) return 0;
    ScopedRegKey key(OpenPimKey(settings::SettingsKey, true));
    if (!key) return 0;
    LONG result =
        RegSetValueExW(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegFlushKey(key.Get());
    return result == ERROR_SUCCESS ? 1 : 0;
}
