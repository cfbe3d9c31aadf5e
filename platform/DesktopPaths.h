#pragma once
// Fixed places the device keeps in the root of its file system, mapped to the desktop.

namespace platform {

// The error log: "<local application data>\Orvanix\Dialvane\error.log"; the folder is created on
// first use. Falls back to "error.log" beside the executable when the profile folder is unknown.
const wchar_t* ErrorLogPath();

} // namespace platform
