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
