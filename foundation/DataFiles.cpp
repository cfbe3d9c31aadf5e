#include "foundation/DataFiles.h"

#include <windows.h>
#include <shlobj.h>

std::wstring ExecutableFolder() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return L"";
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring DataFilePath(const wchar_t* name) {
    wchar_t appData[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, appData))) {
        std::wstring folder = std::wstring(appData) + L"\\Orvanix\\Dialvane";
        int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        if (result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS) return folder + L"\\" + name;
    }
    return ExecutableFolder() + name;
}

const wchar_t* ErrorLogPath() {
    static const std::wstring path = DataFilePath(L"error.log");
    return path.c_str();
}
