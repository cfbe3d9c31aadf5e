#include "app/DesktopSetup.h"

#include "foundation/DataFiles.h"
#include "foundation/ScopedHandles.h"
#include "foundation/Settings.h"
#include "platform/ProcessLauncher.h"

#include <string>

namespace {

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Imports a .reg file with the system's registry tool and waits for it (at most ten seconds).
void ImportRegistryFile(const std::wstring& file) {
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (!length || length >= MAX_PATH) return;
    const std::wstring tool = std::wstring(system) + L"\\reg.exe";
    std::wstring arguments = L"import \"" + file + L"\"";
    PROCESS_INFORMATION info = {};
    if (!platform::CreateProcessW(tool.c_str(), arguments.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                  nullptr, nullptr, nullptr, &info))
        return;
    const ScopedHandle process(info.hProcess), thread(info.hThread);
    if (process) WaitForSingleObject(process.Get(), 10000);
}

} // namespace

void SetUpDesktop() {
    const std::wstring folder = ExecutableFolder();
    if (folder.empty()) return;
    ScopedRegKey pim;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM", 0, KEY_READ, pim.Receive()) !=
            ERROR_SUCCESS &&
        FileExists(folder + L"DemoLayout.reg"))
        ImportRegistryFile(folder + L"DemoLayout.reg");
    const std::wstring viewer = folder + L"contactview.exe";
    if (!ReadString(settings::SettingsKey, settings::ProgramPath).IsEmpty() || !FileExists(viewer)) return;
    const ScopedRegKey key(OpenPimKey(settings::SettingsKey, true));
    if (!key) return;
    RegSetValueExW(key.Get(), settings::ProgramPath, 0, REG_SZ, reinterpret_cast<const BYTE*>(viewer.c_str()),
                   static_cast<DWORD>((viewer.size() + 1) * sizeof(wchar_t)));
    RegFlushKey(key.Get());
}
