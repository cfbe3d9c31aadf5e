#include "support/Processes.h"

#include <filesystem>

namespace testing_support {

std::wstring BesideTestBinary(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder.resize(folder.rfind(L'\\') + 1);
    return folder + name;
}

ChildProcess::ChildProcess(const std::wstring& executable, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + executable + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info_))
        info_ = {};
}

ChildProcess::~ChildProcess() {
    if (!Started()) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool ChildProcess::WaitForIdle(DWORD timeoutMs) {
    return Started() && WaitForInputIdle(info_.hProcess, timeoutMs) == 0;
}

long ChildProcess::WaitForExit(DWORD timeoutMs) {
    if (!Started() || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

namespace {
struct WindowQuery {
    const wchar_t* className;
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto& query = *reinterpret_cast<WindowQuery*>(param);
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (wcscmp(name, query.className) == 0 && (!query.processId || owner == query.processId))
        query.found.push_back(window);
    return TRUE;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}
} // namespace

std::vector<HWND> TopLevelWindows(const wchar_t* className, DWORD processId) {
    WindowQuery query{className, processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND WaitForTopLevelWindow(const wchar_t* className, DWORD processId, DWORD timeoutMs) {
    HWND window = nullptr;
    WaitUntil(
        [&] {
            const auto windows = TopLevelWindows(className, processId);
            window = windows.empty() ? nullptr : windows.front();
            return window != nullptr;
        },
        timeoutMs);
    return window;
}

ForeignMessageBox WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    ForeignMessageBox box;
    box.window = WaitForTopLevelWindow(L"#32770", processId, timeoutMs);
    if (!box.window) return box;
    // The box exists before it is filled in: wait until it is shown.
    WaitUntil([&] { return IsWindowVisible(box.window); }, timeoutMs);
    box.caption = TextOf(box.window);
    WindowQuery statics{L"Static", 0, {}};
    EnumChildWindows(box.window, CollectWindow, reinterpret_cast<LPARAM>(&statics));
    for (HWND child : statics.found) {
        if (std::wstring text = TextOf(child); !text.empty()) box.text = text;
    }
    return box;
}

void AnswerMessageBox(const ForeignMessageBox& box, int buttonId) {
    PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
}

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::wstring(base) + L"dialvane-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace testing_support
