#pragma once
// Append-only log of internal failures, one time-stamped line per call.

// Appends "<yyyy.MM.dd HH:mm:ss - >message\t\tsource: function (line)\r\n" to the file at path,
// creating it when missing. Every UTF-16 unit becomes exactly one byte of the ANSI code page (its
// default character where a unit has no single-byte form). A file that cannot be opened drops the
// line; nothing is ever reported.
void LogLine(const wchar_t* path, const wchar_t* message, const wchar_t* source, const wchar_t* function,
             int line);
