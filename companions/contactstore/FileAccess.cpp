#include "companions/contactstore/FileAccess.h"

#include "foundation/ScopedHandles.h"

namespace contactstore {

bool ReadWholeFile(const std::wstring& path, std::string& bytes, DWORD& error) {
    bytes.clear();
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size)) {
        error = GetLastError();
        return false;
    }
    if (static_cast<uint64_t>(size.QuadPart) > LargestFile) {
        error = ERROR_FILE_TOO_LARGE;
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        error = GetLastError();
        bytes.clear();
        return false;
    }
    bytes.resize(read);
    error = ERROR_SUCCESS;
    return true;
}

bool ReplaceWholeFile(const std::wstring& path, std::string_view bytes, DWORD& error) {
    const std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    {
        ScopedFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            error = GetLastError();
            return false;
        }
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
            error = GetLastError();
        else if (written != bytes.size())
            error = ERROR_HANDLE_DISK_FULL;
        else if (!FlushFileBuffers(file.Get()))
            error = GetLastError();
        else
            error = ERROR_SUCCESS;
        if (error != ERROR_SUCCESS) {
            file.Reset();
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    // A reader that has the file open may hold the rename back for a moment (Wine refuses it while any
    // handle is open, sharing delete or not).
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            break;
        error = GetLastError();
        if (attempt == ReplaceAttempts ||
            (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)) {
            DeleteFileW(temporary.c_str());
            return false;
        }
        Sleep(ReplaceRetryMs);
    }
    error = ERROR_SUCCESS;
    return true;
}

std::wstring ErrorText(DWORD error) {
    wchar_t text[256] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        error, 0, text, 256, nullptr);
    std::wstring message(text, length);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    if (message.empty()) message = L"error " + std::to_wstring(error);
    return message;
}

} // namespace contactstore
