#pragma once
// Character classes of phone numbers and templates, and the small routines that count, find and
// copy by class. A null text or class gives each routine's failure value.

namespace charclass {

inline constexpr const wchar_t* DialControl = L"*#,wWpP";
inline constexpr const wchar_t* Digits = L"1234567890";
// In a template "#" stands for any digit and a digit for itself.
inline constexpr const wchar_t* Placeholders = L"#1234567890";
inline constexpr const wchar_t* Separators = L"()[]{}=-~\\|/_ ";
inline constexpr const wchar_t* PrefixEnds = L"()[]{}=-+~\\|/";
inline constexpr const wchar_t* Openers = L"+([{";
inline constexpr const wchar_t* Closers = L")]}";

} // namespace charclass

// Size of the working buffers of the copy routines' callers: 259 characters and the terminator.
inline constexpr int NumberBufferSize = 260;

// How many characters of text belong to charClass.
int CountCharsOf(const wchar_t* text, const wchar_t* charClass);

// The smallest index >= start whose character belongs to charClass; -1 when there is none or start
// lies outside the text.
int FindFirstOf(int start, const wchar_t* text, const wchar_t* charClass);

// The largest index whose character belongs to charClass; -1 when there is none.
int FindLastOf(const wchar_t* text, const wchar_t* charClass);

// Copies the characters of source not in charClass into buffer and terminates it. Null arguments
// (or a buffer without room for the terminator) give false with the buffer untouched; an empty
// source, or a result longer than bufferSize - 1, gives false with an empty buffer.
bool CopyWithout(const wchar_t* source, wchar_t* buffer, const wchar_t* charClass, int bufferSize);

// As CopyWithout, keeping only the characters in charClass; an empty source gives true.
bool CopyOnly(const wchar_t* source, wchar_t* buffer, const wchar_t* charClass, int bufferSize);
