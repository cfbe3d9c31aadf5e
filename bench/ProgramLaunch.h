#pragma once
// Starting a program beside the benchmark and timing it from the outside, shared by the benchmarks
// that measure whole programs.
#include "bench/BenchTiming.h"

#include <windows.h>

#include <string>
#include <vector>

// The path of a file in the benchmark's own folder.
inline std::wstring BesideBench(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\') + 1) + name;
}

inline void SetText(const wchar_t* key, const wchar_t* name, const wchar_t* value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value,
                    static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

inline void SetNumber(const wchar_t* key, const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof value);
}

// A started program and the seconds from its launch until it first waited for input, that is until
// its window was up and painted and its start-up done.
struct LaunchedProgram {
    PROCESS_INFORMATION info = {};
    double secondsToIdle = 0;
    bool started = false;
    bool idle = false;
};

inline LaunchedProgram LaunchAndWaitForIdle(const std::wstring& program) {
    LaunchedProgram launched;
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    const double start = Now();
    launched.started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &startup, &launched.info) != 0;
    if (!launched.started) return launched;
    launched.idle = WaitForInputIdle(launched.info.hProcess, 60000) == 0;
    launched.secondsToIdle = Now() - start;
    return launched;
}

// The top-level window of the class that the process owns.
inline HWND WindowOfProcess(const wchar_t* className, DWORD processId) {
    for (HWND window = FindWindowW(className, nullptr); window;
         window = FindWindowExW(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return window;
    }
    return nullptr;
}

// Closes the program's window and waits for it to end, ending it by force after ten seconds.
inline void CloseLaunched(LaunchedProgram& launched, const wchar_t* className) {
    if (!launched.started) return;
    if (HWND window = WindowOfProcess(className, launched.info.dwProcessId))
        PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(launched.info.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(launched.info.hProcess, 1);
    CloseHandle(launched.info.hThread);
    CloseHandle(launched.info.hProcess);
    launched.started = false;
}

// Every value of a registry key, to put the key back as it was between runs.
class RegistryKeySnapshot {
public:
    explicit RegistryKeySnapshot(const wchar_t* key) : Key(key) {
        HKEY opened = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD nameLength = 256, type = 0, size = 0;
            if (RegEnumValueW(opened, index, name, &nameLength, nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS)
                break;
            Value value{name, type, std::vector<BYTE>(size)};
            nameLength = 256;
            RegEnumValueW(opened, index, name, &nameLength, nullptr, &type, value.data.data(), &size);
            Values.push_back(std::move(value));
        }
        RegCloseKey(opened);
    }

    void Restore() const {
        RegDeleteTreeW(HKEY_CURRENT_USER, Key);
        for (const Value& value : Values)
            RegSetKeyValueW(HKEY_CURRENT_USER, Key, value.name.c_str(), value.type, value.data.data(),
                            static_cast<DWORD>(value.data.size()));
    }

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    const wchar_t* Key;
    std::vector<Value> Values;
};
