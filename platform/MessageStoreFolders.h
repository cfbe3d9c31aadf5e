#pragma once
// Where the desktop message store keeps its stores, folders and message files.
//
// The stores live in one folder: the REG_SZ value "StoreFolder" under
// HKEY_CURRENT_USER\Software\Orvanix\Messaging when set, else "%LOCALAPPDATA%\Orvanix\Dialvane\Messages".
// Every sub-folder of it is a store, its display name the sub-folder's name as stored (case kept);
// every sub-folder of a store is a folder of messages, each message a file of MessageFile.h. The
// phone always has its text-message store, so logging on creates "SMS" with "Outbox" and
// "Sent Items" when they are missing.
#include <windows.h>

#include <string>
#include <vector>

namespace platform {

inline constexpr wchar_t MessagingKey[] = L"Software\\Orvanix\\Messaging";
inline constexpr wchar_t SmsStoreName[] = L"SMS";
inline constexpr wchar_t OutboxFolder[] = L"Outbox";
inline constexpr wchar_t SentItemsFolder[] = L"Sent Items";
inline constexpr wchar_t MessageFileExtension[] = L".msg";

// The folder of the stores, without a trailing backslash.
std::wstring MessageStoreRoot();

// Creates the root, the store "SMS" and its two folders where missing; the system error code of the
// first that cannot be made (also written to the error log), 0 when all exist.
DWORD EnsureSmsStore(const std::wstring& root);

// The names of the sub-folders of folder, as stored, in the order of their characters.
std::vector<std::wstring> ListSubFolders(const std::wstring& folder);

// The message files of a folder, by name; names sort in the order the messages were created.
std::vector<std::wstring> ListMessageFiles(const std::wstring& folder);

// A name for a new message file, unique across processes: creation time, process and a counter.
std::wstring NewMessageFileName();

// True for a name that is one plain path component (no separators, no "." or "..").
bool IsPlainName(const std::wstring& name);

// Moves a message file into folder under the same name; the system error code, 0 on success. Never
// replaces a file there.
DWORD MoveMessageFile(const std::wstring& path, const std::wstring& folder);

} // namespace platform
