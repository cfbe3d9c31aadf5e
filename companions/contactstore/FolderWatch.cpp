#include "companions/contactstore/FolderWatch.h"

#include <algorithm>
#include <new>

namespace contactstore {

namespace {

constexpr DWORD WatchedChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

} // namespace

bool FolderWatch::Start() {
    Stop();
    if (!event_) event_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!buffer_) buffer_.reset(new (std::nothrow) DWORD[BufferBytes / sizeof(DWORD)]);
    if (!event_ || !buffer_) return false;
    directory_.Reset(CreateFileW(folder_.c_str(), FILE_LIST_DIRECTORY,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    return directory_ && Arm();
}

bool FolderWatch::Arm() {
    ResetEvent(event_.Get());
    overlapped_ = {};
    overlapped_.hEvent = event_.Get();
    armed_ = ReadDirectoryChangesW(directory_.Get(), buffer_.get(), BufferBytes, FALSE, WatchedChanges,
                                   nullptr, &overlapped_, nullptr);
    if (!armed_) directory_.Reset();
    return armed_;
}

FolderWatch::Told FolderWatch::Collect(std::vector<std::wstring>& names) {
    if (!Watching()) return Told::Stopped;
    DWORD bytes = 0;
    if (!GetOverlappedResult(directory_.Get(), &overlapped_, &bytes, FALSE)) {
        if (GetLastError() == ERROR_IO_INCOMPLETE) return Told::Names; // nothing in yet
        armed_ = false;
        const Told told = GetLastError() == ERROR_NOTIFY_ENUM_DIR ? Told::Everything : Told::Stopped;
        if (told == Told::Stopped || !Arm()) {
            directory_.Reset();
            return Told::Stopped;
        }
        return told;
    }
    armed_ = false;
    Told told = bytes == 0 ? Told::Everything : Told::Names;
    const char* at = reinterpret_cast<const char*>(buffer_.get());
    const char* end = at + std::min<DWORD>(bytes, BufferBytes);
    while (told == Told::Names && at + sizeof(FILE_NOTIFY_INFORMATION) <= end) {
        const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at);
        const size_t length = info->FileNameLength / sizeof(wchar_t);
        if (reinterpret_cast<const char*>(info->FileName + length) > end) break;
        names.emplace_back(info->FileName, length);
        if (!info->NextEntryOffset) break;
        at += info->NextEntryOffset;
    }
    if (!Arm()) return Told::Stopped;
    return told;
}

void FolderWatch::Stop() {
    if (armed_ && directory_) {
        DWORD bytes = 0;
        CancelIo(directory_.Get());
        GetOverlappedResult(directory_.Get(), &overlapped_, &bytes, TRUE);
    }
    armed_ = false;
    directory_.Reset();
}

} // namespace contactstore
