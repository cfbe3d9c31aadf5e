#pragma once
// Where the program finds its own folder and keeps the files it writes for itself. The phone keeps them
// in the root of its file system; the desktop keeps them in the user's local application data.
#include <string>

// The folder of the running executable, with a trailing backslash; empty when unknown.
std::wstring ExecutableFolder();

// A file the program keeps for itself: "<local application data>\Orvanix\Dialvane\<name>", the
// folder created when missing; beside the executable when the profile folder is unknown.
std::wstring DataFilePath(const wchar_t* name);

// The dialer's call log among them, which it appends to and the search service ranks contacts by.
inline constexpr wchar_t CallLogName[] = L"calls.log";

// The error log, DataFilePath("error.log"), worked out once.
const wchar_t* ErrorLogPath();
