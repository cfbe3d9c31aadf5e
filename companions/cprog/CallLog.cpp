#include "companions/cprog/CallLog.h"

#include "foundation/DataFiles.h"

#include <windows.h>

#include <cwchar>

namespace dialer {

namespace {

std::wstring Field(const std::wstring& text) {
    std::wstring field = text;
    for (wchar_t& c : field)
        if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
    return field;
}

std::string Utf8(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string result(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), bytes,
                            nullptr, nullptr);
    return result;
}

} // namespace

std::wstring CallLogPath() {
    return DataFilePath(CallLogName);
}

bool AppendCallLog(const std::wstring& number, const std::wstring& name, const wchar_t* kind) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    const std::string line =
        Utf8(std::wstring(stamp) + L"\t" + Field(number) + L"\t" + Field(name) + L"\t" + kind + L"\r\n");
    HANDLE file = CreateFileW(CallLogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == line.size();
}

} // namespace dialer
