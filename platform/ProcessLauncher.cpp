#include "platform/ProcessLauncher.h"

#include <utility>

namespace platform {

namespace {

ProcessLaunchScript& Script() {
    static ProcessLaunchScript script;
    return script;
}

// A bare program name resolved beside the running executable, when such a file exists.
std::wstring Resolve(const wchar_t* application) {
    std::wstring name = application;
    if (name.find_first_of(L"\\/:") != std::wstring::npos) return name;
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return name;
    std::wstring beside(path, length);
    beside = beside.substr(0, beside.find_last_of(L'\\') + 1) + name;
    return GetFileAttributesW(beside.c_str()) == INVALID_FILE_ATTRIBUTES ? name : beside;
}

} // namespace

BOOL CreateProcessW(const wchar_t* application, wchar_t* commandLine, SECURITY_ATTRIBUTES* processAttributes,
                    SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    void* environment, const wchar_t* directory, STARTUPINFOW* startup,
                    PROCESS_INFORMATION* info) {
    if (Script()) {
        if (info) *info = {};
        return Script()({application ? application : L"", commandLine ? commandLine : L"", inheritHandles,
                         creationFlags});
    }
    STARTUPINFOW defaultStartup = {};
    defaultStartup.cb = sizeof defaultStartup;
    if (!application) return FALSE;
    // The program sees only the arguments as its command line there; here they follow its path.
    const std::wstring resolved = Resolve(application);
    std::wstring fullLine = L"\"" + resolved + L"\"";
    if (commandLine && *commandLine) fullLine += std::wstring(L" ") + commandLine;
    return ::CreateProcessW(resolved.c_str(), fullLine.data(), processAttributes, threadAttributes,
                            inheritHandles, creationFlags, environment, directory,
                            startup ? startup : &defaultStartup, info);
}

void SetProcessLaunchScript(ProcessLaunchScript script) {
    Script() = std::move(script);
}

} // namespace platform
