#pragma once
// Reading the store's files while other programs write them: opened sharing everything, so that a
// sync tool or an editor is never blocked by the store.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace contactstore {

// The largest file the store reads.
constexpr uint64_t LargestFile = 1ull << 30;

// The whole file into bytes; on failure false with the system's error code in error (ERROR_FILE_TOO_LARGE
// for a file larger than LargestFile).
bool ReadWholeFile(const std::wstring& path, std::string& bytes, DWORD& error);

// Writes bytes as the whole of the file at path: into a temporary file beside it (named after this
// process), flushed, then renamed over the file, so that readers see the old file or the new one and
// never a part; false with the system's error code in error, the file as it was and no temporary left.
// A file held open by a reader is waited for, ReplaceAttempts times ReplaceRetryMs at most.
constexpr int ReplaceAttempts = 20;
constexpr DWORD ReplaceRetryMs = 25;
bool ReplaceWholeFile(const std::wstring& path, std::string_view bytes, DWORD& error);

// The system's text for an error code, without its line break.
std::wstring ErrorText(DWORD error);

} // namespace contactstore
