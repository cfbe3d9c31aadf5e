#include "platform/MessageStoreFolders.h"

#include "foundation/DataFiles.h"
#include "foundation/ErrorLog.h"
#include "foundation/ScopedHandles.h"

#include <algorithm>
#include <atomic>
#include <cwchar>

namespace platform {

namespace {

constexpr wchar_t StoreFolderValue[] = L"StoreFolder";

std::wstring ConfiguredRoot() {
    ScopedRegKey key;
    wchar_t path[MAX_PATH] = {};
    DWORD bytes = sizeof path - sizeof(wchar_t);
    DWORD type = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, MessagingKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS ||
        RegQueryValueExW(key.Get(), StoreFolderValue, nullptr, &type, reinterpret_cast<BYTE*>(path),
                         &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return L"";
    return path;
}

DWORD MakeFolder(const std::wstring& path) {
    if (CreateDirectoryW(path.c_str(), nullptr)) return 0;
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) return error;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && attributes & FILE_ATTRIBUTE_DIRECTORY ? 0
                                                                                          : ERROR_DIRECTORY;
}

template <class Keep> std::vector<std::wstring> ListFolder(const std::wstring& pattern, Keep keep) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    ScopedFind search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) return names;
    do {
        if (keep(found)) names.emplace_back(found.cFileName);
    } while (FindNextFileW(search.Get(), &found));
    return names;
}

} // namespace

std::wstring MessageStoreRoot() {
    std::wstring root = ConfiguredRoot();
    if (root.empty()) root = DataFilePath(L"Messages");
    while (root.size() > 3 && (root.back() == L'\\' || root.back() == L'/')) root.pop_back();
    return root;
}

DWORD EnsureSmsStore(const std::wstring& root) {
    const std::wstring store = root + L"\\" + SmsStoreName;
    for (const std::wstring& folder :
         {root, store, store + L"\\" + OutboxFolder, store + L"\\" + SentItemsFolder}) {
        if (const DWORD error = MakeFolder(folder)) {
            const std::wstring line = L"Message store: cannot create the folder " + folder + L" (error " +
                                      std::to_wstring(error) + L")";
            LogLine(ErrorLogPath(), line.c_str(), L"MessageStore", L"EnsureSmsStore", __LINE__);
            return error;
        }
    }
    return 0;
}

std::vector<std::wstring> ListSubFolders(const std::wstring& folder) {
    std::vector<std::wstring> names = ListFolder(folder + L"\\*", [](const WIN32_FIND_DATAW& found) {
        return found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY && IsPlainName(found.cFileName);
    });
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::wstring> ListMessageFiles(const std::wstring& folder) {
    std::vector<std::wstring> names =
        ListFolder(folder + L"\\*" + MessageFileExtension, [](const WIN32_FIND_DATAW& found) {
            const std::wstring_view name = found.cFileName;
            return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                   name.ends_with(MessageFileExtension);
        });
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring NewMessageFileName() {
    static std::atomic<unsigned> counter = 0;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    wchar_t name[64];
    std::swprintf(name, 64, L"%08lX%08lX-%lX-%08X%ls", static_cast<unsigned long>(now.dwHighDateTime),
                  static_cast<unsigned long>(now.dwLowDateTime),
                  static_cast<unsigned long>(GetCurrentProcessId()), ++counter, MessageFileExtension);
    return name;
}

bool IsPlainName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos;
}

DWORD MoveMessageFile(const std::wstring& path, const std::wstring& folder) {
    const std::wstring target = folder + path.substr(path.find_last_of(L'\\'));
    return MoveFileExW(path.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : GetLastError();
}

} // namespace platform
