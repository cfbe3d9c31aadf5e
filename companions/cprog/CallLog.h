#pragma once
// The dialer's call log: "%LOCALAPPDATA%\Orvanix\Dialvane\calls.log", UTF-8, one line per call or
// service code, fields separated by tabs:
//     yyyy-MM-dd HH:mm:ss<TAB>number exactly as dialled<TAB>called party (may be empty)<TAB>kind
// where kind is "call" or "service". Tabs and line breaks inside a field are written as spaces so
// that a line stays one record.
#include <string>

namespace dialer {

inline constexpr wchar_t CallKind[] = L"call";
inline constexpr wchar_t ServiceKind[] = L"service";

// Full path of the log; the folder is created when missing.
std::wstring CallLogPath();

// Appends one line stamped with the local time; false when the file cannot be written.
bool AppendCallLog(const std::wstring& number, const std::wstring& name, const wchar_t* kind);

} // namespace dialer
