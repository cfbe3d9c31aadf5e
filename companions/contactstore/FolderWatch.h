#pragma once
// Watches one folder (not its subfolders) for files added, removed, renamed, written or resized, and
// tells which: the names come in through an event that a thread waits on beside others. While no one
// collects them the system keeps gathering the names; when it has more than it can keep it says so, and
// the whole folder has to be looked at.
#include "foundation/ScopedHandles.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace contactstore {

class FolderWatch {
public:
    explicit FolderWatch(std::wstring folder) : folder_(std::move(folder)) {}
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;
    ~FolderWatch() { Stop(); }

    // Starts watching; false when the folder cannot be watched (it is missing, or the system cannot).
    bool Start();
    bool Watching() const { return static_cast<bool>(directory_); }
    // Signalled when names are in; null while not watching.
    HANDLE Event() const { return Watching() ? event_.Get() : nullptr; }

    enum class Told {
        Names,      // the names of the changed files were added to names
        Everything, // the system lost count: any file may have changed
        Stopped,    // the folder can no longer be watched (gone); any file may have changed
    };
    // Takes what came in once Event() is signalled, and goes on watching.
    Told Collect(std::vector<std::wstring>& names);
    void Stop();

private:
    bool Arm();

    std::wstring folder_;
    ScopedFile directory_;
    ScopedHandle event_;
    OVERLAPPED overlapped_ = {};
    bool armed_ = false;
    // Names as the system writes them (FILE_NOTIFY_INFORMATION, DWORD-aligned); 64 KB, the most a
    // network folder takes.
    std::unique_ptr<DWORD[]> buffer_;
    static constexpr DWORD BufferBytes = 64 * 1024;
};

} // namespace contactstore
