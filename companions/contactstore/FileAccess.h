#pragma once
// Reading the store's files while other programs write them: opened sharing everything, so that a
// sync tool or an editor is never blocked by the store.
#include <windows.h>

#include <cstdint>
#include <string>

namespace contactstore {

// The largest file the store reads.
constexpr uint64_t LargestFile = 1ull << 30;

// The whole file into bytes; on failure false with the system's error code in error (ERROR_FILE_TOO_LARGE
// for a file larger than LargestFile).
bool ReadWholeFile(const std::wstring& path, std::string& bytes, DWORD& error);

// The system's text for an error code, without its line break.
std::wstring ErrorText(DWORD error);

} // namespace contactstore
