#include "foundation/ErrorLog.h"

#include "foundation/DataFiles.h"
#include "foundation/ScopedHandles.h"

#include <windows.h>

#include <cwchar>

namespace {

// The system default locale.
constexpr LCID DefaultLocale = 0x0800;

// Converts one unit at a time so that the byte count always equals the unit count; units that the
// code page has no single byte for become its default character. Written in chunks, allocation free:
// the log reports failed allocations.
void WritePiece(HANDLE file, const wchar_t* text, char defaultChar) {
    if (!text) return;
    char chunk[256];
    DWORD used = 0;
    for (; *text; ++text) {
        char bytes[8];
        int count = WideCharToMultiByte(CP_ACP, 0, text, 1, bytes, sizeof bytes, nullptr, nullptr);
        chunk[used++] = count == 1 ? bytes[0] : defaultChar;
        if (used == sizeof chunk) {
            DWORD written;
            WriteFile(file, chunk, used, &written, nullptr);
            used = 0;
        }
    }
    DWORD written;
    if (used) WriteFile(file, chunk, used, &written, nullptr);
}

} // namespace

void LogLine(const wchar_t* path, const wchar_t* message, const wchar_t* source, const wchar_t* function,
             int line) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[260] = L"";
    int dateChars = GetDateFormatW(DefaultLocale, 0, &now, L"yyyy.MM.dd ", stamp, 260);
    int used = dateChars > 0 ? dateChars - 1 : 0;
    if (GetTimeFormatW(DefaultLocale, 0, &now, L"HH:mm:ss - ", stamp + used, 260 - used) == 0)
        stamp[used] = 0;

    ScopedFile file(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    SetFilePointer(file.Get(), 0, nullptr, FILE_END);

    CPINFO info;
    char defaultChar = GetCPInfo(CP_ACP, &info) ? static_cast<char>(info.DefaultChar[0]) : '?';
    wchar_t number[16];
    std::swprintf(number, 16, L"%d", line);
    const wchar_t* const pieces[] = {stamp,    message, L"\t\t", source, L": ",
                                     function, L" (",   number,  L")",   L"\r\n"};
    for (const wchar_t* piece : pieces) WritePiece(file.Get(), piece, defaultChar);
}

ProblemReport::ProblemReport(const wchar_t* source, const wchar_t* function, int limit)
    : source_(source), function_(function), limit_(limit) {}

void ProblemReport::Add(const wchar_t* what) {
    if (count_++ < limit_) LogLine(ErrorLogPath(), what, source_, function_, 0);
}

void ProblemReport::Finish() {
    if (finished_ || count_ <= limit_) return;
    finished_ = true;
    wchar_t summary[96];
    std::swprintf(summary, 96, L"... and %d more problems like these", count_ - limit_);
    LogLine(ErrorLogPath(), summary, source_, function_, 0);
}
