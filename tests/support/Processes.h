#pragma once
// Starting the program under test as a real process and watching its windows from outside.
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// Full path of a file in the folder of the running test binary.
std::wstring BesideTestBinary(const wchar_t* name);

class ChildProcess {
public:
    // Starts "executable" arguments; arguments are appended to the quoted path as they are.
    ChildProcess(const std::wstring& executable, const std::wstring& arguments);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess(); // ends a process still running

    bool Started() const { return info_.hProcess != nullptr; }
    DWORD Id() const { return info_.dwProcessId; }
    // Waits until the process waits for input in its message loop.
    bool WaitForIdle(DWORD timeoutMs);
    // The exit code, or -1 when the process is still running after timeoutMs.
    long WaitForExit(DWORD timeoutMs);

private:
    PROCESS_INFORMATION info_ = {};
};

// Top-level windows of a class, optionally only those of one process.
std::vector<HWND> TopLevelWindows(const wchar_t* className, DWORD processId = 0);

// Polls until a top-level window of the class (of the process, when given) exists; null on timeout.
HWND WaitForTopLevelWindow(const wchar_t* className, DWORD processId, DWORD timeoutMs);

// Polls until predicate() holds; false on timeout.
template <class Predicate> bool WaitUntil(Predicate predicate, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!predicate()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

// A message box shown by another process: its caption and text, found by caption.
struct ForeignMessageBox {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
};
ForeignMessageBox WaitForMessageBox(DWORD processId, DWORD timeoutMs);
// Presses a button of a box shown by another process.
void AnswerMessageBox(const ForeignMessageBox& box, int buttonId);

// A new empty folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const wchar_t* name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

} // namespace testing_support
