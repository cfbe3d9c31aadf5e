#pragma once
// Starting other programs goes through here, so that tests can watch and answer the launches.
#include <windows.h>

#include <functional>
#include <string>

namespace platform {

struct ProcessLaunch {
    std::wstring application;
    std::wstring commandLine; // empty when none was given
    BOOL inheritHandles;
    DWORD creationFlags;
};

// Answers a launch instead of starting a process: returns what CreateProcessW would.
using ProcessLaunchScript = std::function<BOOL(const ProcessLaunch&)>;

// As the platform's: application is required, commandLine holds only the arguments (the started
// program's command line is its quoted path and these), and a bare program name is found where the
// phone's own programs are, here beside the running executable. With a script installed the script
// answers and info is zeroed.
BOOL CreateProcessW(const wchar_t* application, wchar_t* commandLine, SECURITY_ATTRIBUTES* processAttributes,
                    SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    void* environment, const wchar_t* directory, STARTUPINFOW* startup,
                    PROCESS_INFORMATION* info);

// Installs a script for the calling process; an empty function restores real launches.
void SetProcessLaunchScript(ProcessLaunchScript script);

} // namespace platform
