#include "platform/SmsGateway.h"

#include "platform/MessageStoreFolders.h"
#include "platform/Utf8Text.h"
#include "foundation/DataFiles.h"
#include "foundation/ScopedHandles.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace platform {

namespace {

constexpr wchar_t CommandValue[] = L"GatewayCommand";
constexpr wchar_t TimeoutValue[] = L"GatewayTimeout";
constexpr DWORD DefaultTimeoutSeconds = 30;
constexpr DWORD LongestTimeoutSeconds = 3600;
constexpr std::wstring_view NumberPlaceholder = L"{number}";
constexpr std::wstring_view TextPlaceholder = L"{text}";
// The longest command line CreateProcessW takes, its terminator included.
constexpr size_t LongestCommandLine = 32767;
// What the program printed, as much as the note shows of it.
constexpr size_t LongestOutputNote = 200;
// The bridge gets this long past the timeout to write its status.
constexpr DWORD BridgeGraceMs = 5000;
constexpr DWORD BridgePollMs = 25;

using UnixNameFunction = char*(CDECL*)(const wchar_t*);
using DosNameFunction = wchar_t*(CDECL*)(const char*);

// Wine's path conversions, present only when running under Wine.
template <class Function> Function WineFunction(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

std::string UnixPath(const std::wstring& path) {
    const auto toUnix = WineFunction<UnixNameFunction>("wine_get_unix_file_name");
    if (!toUnix) return {};
    char* name = toUnix(path.c_str());
    if (!name) return {};
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// The program as Windows names it: a Unix path is turned into its drive form under Wine, a bare name
// is looked for beside the running program and on the PATH. Empty when it does not exist.
std::wstring FindProgram(const std::wstring& program) {
    std::wstring path = program;
    if (path.starts_with(L"/")) {
        const auto toDos = WineFunction<DosNameFunction>("wine_get_dos_file_name");
        if (!toDos) return {};
        wchar_t* name = toDos(ToUtf8(path).c_str());
        if (!name) return {};
        path = name;
        HeapFree(GetProcessHeap(), 0, name);
    } else if (path.find_first_of(L"\\/:") == std::wstring::npos) {
        const std::wstring beside = ExecutableFolder() + path;
        if (GetFileAttributesW(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
        wchar_t found[MAX_PATH];
        const DWORD length = SearchPathW(nullptr, path.c_str(), L".exe", MAX_PATH, found, nullptr);
        return length && length < MAX_PATH ? found : std::wstring();
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? path
                                                                                             : std::wstring();
}

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix) {
    const size_t length = std::wcslen(suffix);
    return text.size() >= length && _wcsicmp(text.c_str() + text.size() - length, suffix) == 0;
}

// True for an executable that Windows itself starts ("MZ"); false for a script or a Unix binary.
bool IsWindowsProgram(const std::wstring& path) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char magic[2] = {};
    DWORD read = 0;
    return file && ReadFile(file.Get(), magic, 2, &read, nullptr) && read == 2 && magic[0] == 'M' &&
           magic[1] == 'Z';
}

DWORD ReadTimeoutSeconds() {
    ScopedRegKey key;
    DWORD value = 0;
    DWORD bytes = sizeof value;
    DWORD type = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, MessagingKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS ||
        RegQueryValueExW(key.Get(), TimeoutValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || value == 0)
        return DefaultTimeoutSeconds;
    return std::min(value, LongestTimeoutSeconds);
}

// The first line of what the program printed, in UTF-8 or else the ANSI code page, shortened.
std::wstring FirstLine(const std::string& output) {
    std::wstring text;
    if (!FromUtf8(output, text)) {
        const int size =
            MultiByteToWideChar(CP_ACP, 0, output.data(), static_cast<int>(output.size()), nullptr, 0);
        text.resize(std::max(size, 0));
        if (size > 0)
            MultiByteToWideChar(CP_ACP, 0, output.data(), static_cast<int>(output.size()), text.data(), size);
    }
    const size_t start = text.find_first_not_of(L" \t\r\n");
    if (start == std::wstring::npos) return L"";
    text = text.substr(start, text.find_first_of(L"\r\n", start) - start);
    if (text.size() > LongestOutputNote) text = text.substr(0, LongestOutputNote) + L"…";
    return text;
}

std::wstring ExitNote(long status, const std::string& output) {
    const std::wstring printed = FirstLine(output);
    std::wstring note = L"the gateway command exited with status " + std::to_wstring(status);
    return printed.empty() ? note : note + L": " + printed;
}

std::wstring TimeoutNote(DWORD seconds) {
    return L"the gateway command did not finish within " + std::to_wstring(seconds) +
           L" seconds and was stopped; the message may or may not have gone out";
}

std::string ReadAll(HANDLE file) {
    std::string bytes;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD read = 0;
    while (bytes.size() < 65536 && ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read)
        bytes.append(buffer, read);
    return bytes;
}

// A file in the temporary folder that goes when its last handle closes.
HANDLE TemporaryFile(bool inheritable, std::wstring& path) {
    wchar_t folder[MAX_PATH];
    wchar_t name[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, L"sms", 0, name))
        return INVALID_HANDLE_VALUE;
    path = name;
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, inheritable};
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &security, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

GatewayOutcome Failed(std::wstring note) {
    return {true, false, std::move(note)};
}

GatewayOutcome RunWindowsProgram(std::wstring commandLine, DWORD timeoutSeconds) {
    std::wstring outputPath;
    ScopedFile output(TemporaryFile(true, outputPath));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output.Get();
        startup.hStdError = output.Get();
    }
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, output ? TRUE : FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info))
        return Failed(L"the gateway command could not be started (error " + std::to_wstring(GetLastError()) +
                      L")");
    ScopedHandle process(info.hProcess);
    ScopedHandle thread(info.hThread);
    if (!process) return Failed(L"the gateway command gave no process to wait for");
    if (WaitForSingleObject(process.Get(), timeoutSeconds * 1000) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), ERROR_TIMEOUT);
        WaitForSingleObject(process.Get(), 5000);
        return Failed(TimeoutNote(timeoutSeconds));
    }
    DWORD status = 0;
    GetExitCodeProcess(process.Get(), &status);
    const std::string printed = output ? ReadAll(output.Get()) : std::string();
    if (status == 0) return {true, true, L"sent through the gateway command"};
    return Failed(ExitNote(static_cast<long>(status), printed));
}

// The status file of the bridge: "exit <status>", "timeout" or "not-started <reason>" on the first
// line, then what the command printed.
GatewayOutcome ReadBridgeStatus(const std::string& status, DWORD timeoutSeconds) {
    const size_t end = status.find('\n');
    const std::string first = status.substr(0, end);
    const std::string printed = end == std::string::npos ? std::string() : status.substr(end + 1);
    if (first == "exit 0") return {true, true, L"sent through the gateway command"};
    if (first.starts_with("exit ")) return Failed(ExitNote(std::atol(first.c_str() + 5), printed));
    if (first == "timeout") return Failed(TimeoutNote(timeoutSeconds));
    std::wstring reason;
    FromUtf8(first.starts_with("not-started ") ? first.substr(12) : first, reason);
    return Failed(L"the gateway command could not be started: " + reason);
}

GatewayOutcome RunThroughBridge(const std::wstring& program, const std::vector<std::wstring>& arguments,
                                DWORD timeoutSeconds) {
    const std::wstring bridge = ExecutableFolder() + GatewayBridgeName;
    if (GetFileAttributesW(bridge.c_str()) == INVALID_FILE_ATTRIBUTES)
        return Failed(L"the gateway command is a Unix program, and " + bridge +
                      L" that starts one is missing");
    // The bridge writes its status under a fresh temporary name that only it will create.
    std::wstring statusPath;
    CloseHandle(TemporaryFile(false, statusPath));
    const std::string unixStatus = UnixPath(statusPath);
    const std::string unixProgram = UnixPath(program);
    if (statusPath.empty() || unixStatus.empty() || unixProgram.empty())
        return Failed(L"the gateway command is a Unix program, which only runs under Wine");
    std::wstring wideStatus, wideProgram;
    FromUtf8(unixStatus, wideStatus);
    FromUtf8(unixProgram, wideProgram);
    std::vector<std::wstring> line = {bridge, wideStatus, std::to_wstring(timeoutSeconds), wideProgram};
    line.insert(line.end(), arguments.begin(), arguments.end());
    std::wstring commandLine = JoinCommandLine(line);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(bridge.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info))
        return Failed(L"the gateway bridge could not be started (error " + std::to_wstring(GetLastError()) +
                      L")");
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutSeconds * 1000 + BridgeGraceMs) {
        Sleep(BridgePollMs);
        ScopedFile answer(CreateFileW(statusPath.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!answer) continue;
        const std::string status = ReadAll(answer.Get());
        if (!status.empty()) {
            DeleteFileW(statusPath.c_str());
            return ReadBridgeStatus(status, timeoutSeconds);
        }
    }
    return Failed(L"no answer from the gateway bridge within " + std::to_wstring(timeoutSeconds) +
                  L" seconds (is python3 installed?); the message may or may not have gone out");
}

void AppendQuoted(std::wstring& line, const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them: then each is doubled and the quote escaped.
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

} // namespace

std::vector<std::wstring> ReadGatewayCommand() {
    std::vector<std::wstring> command;
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, MessagingKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return command;
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.Get(), CommandValue, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_MULTI_SZ)) {
        std::wstring data(bytes / sizeof(wchar_t) + 2, L'\0');
        bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key.Get(), CommandValue, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                             &bytes) == ERROR_SUCCESS) {
            data.resize(bytes / sizeof(wchar_t));
            if (type == REG_SZ) data = data.c_str();
            for (size_t start = 0; start < data.size();) {
                const size_t end = std::min(data.find(L'\0', start), data.size());
                if (end == start) break; // the empty string ends a REG_MULTI_SZ
                command.push_back(data.substr(start, end - start));
                start = end + 1;
            }
        }
    }
    if (!command.empty() && command.front().find_first_not_of(L" \t") == std::wstring::npos) command.clear();
    return command;
}

std::vector<std::wstring> GatewayArguments(const std::vector<std::wstring>& command,
                                           const std::wstring& number, const std::wstring& text) {
    std::vector<std::wstring> arguments;
    bool placed = false;
    for (size_t i = 1; i < command.size(); ++i) {
        const std::wstring_view pattern = command[i];
        std::wstring argument;
        for (size_t at = 0; at < pattern.size();) {
            if (pattern.substr(at).starts_with(NumberPlaceholder)) {
                argument += number;
                at += NumberPlaceholder.size();
                placed = true;
            } else if (pattern.substr(at).starts_with(TextPlaceholder)) {
                argument += text;
                at += TextPlaceholder.size();
                placed = true;
            } else {
                argument += pattern[at++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    if (!placed) {
        arguments.push_back(number);
        arguments.push_back(text);
    }
    return arguments;
}

std::wstring JoinCommandLine(const std::vector<std::wstring>& arguments) {
    std::wstring line;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i == 0) {
            // The program's own name is read up to the closing quote, without escapes.
            line = L"\"" + arguments[0] + L"\"";
            continue;
        }
        line += L' ';
        AppendQuoted(line, arguments[i]);
    }
    return line;
}

GatewayOutcome RunSmsGateway(const std::wstring& number, const std::wstring& text) {
    const std::vector<std::wstring> command = ReadGatewayCommand();
    if (command.empty()) return {};
    const DWORD timeoutSeconds = ReadTimeoutSeconds();
    if (EndsWithNoCase(command[0], L".bat") || EndsWithNoCase(command[0], L".cmd"))
        return Failed(L"the gateway command " + command[0] +
                      L" is a batch file, which the command interpreter would run with the text as commands; "
                      L"name a program instead");
    const std::wstring program = FindProgram(command[0]);
    if (program.empty()) return Failed(L"the gateway program " + command[0] + L" was not found");
    const std::vector<std::wstring> arguments = GatewayArguments(command, number, text);
    std::vector<std::wstring> line = {program};
    line.insert(line.end(), arguments.begin(), arguments.end());
    const std::wstring commandLine = JoinCommandLine(line);
    if (commandLine.size() >= LongestCommandLine)
        return Failed(L"the message is too long for the gateway command's command line (" +
                      std::to_wstring(commandLine.size()) + L" characters)");
    if (IsWindowsProgram(program)) return RunWindowsProgram(commandLine, timeoutSeconds);
    return RunThroughBridge(program, arguments, timeoutSeconds);
}

} // namespace platform
