// The program started as a real process: single instance, preload and the skin failure box.
#include "platform/MainWindowMessages.h"
#include "support/Processes.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr wchar_t SettingsKey[] = L"Software\\Orvanix\\PIM\\Settings";
constexpr DWORD Patience = 15000;

std::wstring Program() {
    return BesideTestBinary(L"Dialvane.exe");
}

// A started program that has finished starting: its main window exists and its message loop waits
// for input. Closes it at the end.
struct RunningProgram {
    explicit RunningProgram(const std::wstring& arguments, const std::wstring& executable = Program())
        : process(executable, arguments),
          window(WaitForTopLevelWindow(MainWindowClassName, process.Id(), Patience)) {
        process.WaitForIdle(Patience);
    }
    ~RunningProgram() {
        if (window) PostMessageW(window, WM_CLOSE, 0, 0);
        process.WaitForExit(Patience);
    }
    ChildProcess process;
    HWND window;
};

bool HasHiddenMarker(HWND window) {
    return GetWindowLongW(window, GWL_STYLE) & 0x80000000;
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        DeletePimBranch();
        ASSERT_TRUE(TopLevelWindows(MainWindowClassName).empty())
            << "a program from an earlier test is still running";
    }
};

TEST_F(Startup, PreloadStartsHiddenAndASecondStartShowsItAndEndsWithOne) {
    RunningProgram first(L"pre");
    ASSERT_TRUE(first.window);
    EXPECT_FALSE(IsWindowVisible(first.window));
    EXPECT_TRUE(HasHiddenMarker(first.window));
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, SettingsKey, L"HSTRF"), 0u);

    SetDword(HKEY_CURRENT_USER, SettingsKey, L"HSTRF", 7);
    ChildProcess second(Program(), L"pre");
    EXPECT_EQ(second.WaitForExit(Patience), 1);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(first.window); }, Patience));
    EXPECT_FALSE(HasHiddenMarker(first.window));
    EXPECT_EQ(TopLevelWindows(MainWindowClassName).size(), 1u);
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, SettingsKey, L"HSTRF"), 7u) << "the second start wrote settings";
}

// A copy of the program in a folder of its own, with or without a skin folder and libraries.
class CopiedProgram : public Startup {
protected:
    std::wstring Install(bool skinFolder, const wchar_t* library) {
        const std::wstring executable = folder / L"Dialvane.exe";
        EXPECT_TRUE(CopyFileW(Program().c_str(), executable.c_str(), FALSE));
        if (skinFolder) CreateDirectoryW((folder / L"DialvaneSkin").c_str(), nullptr);
        if (library) {
            EXPECT_TRUE(
                CopyFileW(BesideTestBinary(L"ResourceOnly.dll").c_str(), (folder / library).c_str(), FALSE));
        }
        return executable;
    }

    // Runs the copy and expects the skin failure: the box, then exit code 1 and no window.
    void ExpectSkinFailure(const std::wstring& executable) {
        ChildProcess process(executable, L"");
        const ForeignMessageBox box = WaitForMessageBox(process.Id(), Patience);
        ASSERT_TRUE(box.window);
        EXPECT_EQ(box.caption, L"Error");
        EXPECT_EQ(box.text, L"Failed to load skin !");
        AnswerMessageBox(box, IDOK);
        EXPECT_EQ(process.WaitForExit(Patience), 1);
        EXPECT_TRUE(TopLevelWindows(MainWindowClassName).empty());
    }

    TempFolder folder;
};

TEST_F(CopiedProgram, WithoutSkinFolderOrALibraryOfItsResolutionItFails) {
    ExpectSkinFailure(Install(false, nullptr));
    ExpectSkinFailure(Install(false, L"DialvaneResVga.dll"));
    RunningProgram program(L"", Install(false, L"DialvaneRes.dll"));
    EXPECT_TRUE(program.window) << "at 96 dpi the low resolution library serves";
}

} // namespace
