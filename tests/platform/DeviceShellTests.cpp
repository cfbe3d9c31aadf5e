#include "platform/MainWindowMessages.h"
#include "platform/PhoneShell.h"
#include "platform/Windowing.h"
#include "support/ErrorLogLines.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

using namespace testing_support;

namespace {

int turnsSeen = 0;

LRESULT CALLBACK CountTurns(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTINGCHANGE && wParam == RotationSetting) ++turnsSeen;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND Probe(int x, int y, int width, int height) {
    WNDCLASSW probeClass = {};
    probeClass.lpfnWndProc = CountTurns;
    probeClass.hInstance = GetModuleHandleW(nullptr);
    probeClass.lpszClassName = L"DeviceShellProbe";
    RegisterClassW(&probeClass);
    return CreateWindowExW(0, L"DeviceShellProbe", L"", WS_POPUP, x, y, width, height, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

SIZE PhoneScreen() {
    return {platform::GetSystemMetrics(SM_CXSCREEN), platform::GetSystemMetrics(SM_CYSCREEN)};
}

// A window's rectangle as left, top, right, bottom.
std::array<LONG, 4> RectOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Waits for the condition while this thread takes the messages the shell sends its windows.
template <class Condition> bool Await(Condition condition) {
    return WaitUntil(
        [&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            return condition();
        },
        10000);
}

} // namespace

TEST(DeviceShell, TurnsItsScreenInsideTheDisplayEitherWayAndRefitsTheWindowsBelowItsBar) {
    ChildProcess shell(BesideTestBinary(L"DeviceShell.exe"), L"screen=300x200");
    HWND bar = WaitForTopLevelWindow(platform::TaskBarClass, shell.Id(), 10000);
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(Await([] { return PhoneScreen().cx == 300 && PhoneScreen().cy == 200; }));
    const int barHeight = RectOf(bar)[3];
    EXPECT_EQ(RectOf(bar)[2], 300);
    turnsSeen = 0;

    HWND full = Probe(0, barHeight, 300, 200 - barHeight);
    HWND dialog = Probe(0, barHeight, 300, 200 - barHeight - 30); // leaves its soft keys room
    HWND other = Probe(10, barHeight, 100, 50);
    using Rect = std::array<LONG, 4>;
    for (int turn = 1; turn <= 3; ++turn) {
        SCOPED_TRACE(turn);
        const SIZE screen = turn % 2 ? SIZE{200, 300} : SIZE{300, 200};
        ChildProcess rotate(BesideTestBinary(L"DeviceShell.exe"), L"rotate");
        EXPECT_EQ(rotate.WaitForExit(10000), 0);
        // The shell moves the windows and then tells every window of the turn.
        const Rect fullScreen = {0, barHeight, screen.cx, screen.cy};
        EXPECT_TRUE(Await([&] { return turnsSeen == 3 * turn && RectOf(full) == fullScreen; }));
        EXPECT_EQ(PhoneScreen().cx, screen.cx);
        EXPECT_EQ(PhoneScreen().cy, screen.cy);
        EXPECT_EQ(RectOf(bar)[2], screen.cx) << "the bar spans the turned screen";
        EXPECT_EQ(RectOf(full), fullScreen);
        EXPECT_EQ(RectOf(dialog), (Rect{0, barHeight, screen.cx, screen.cy - 30}));
        EXPECT_EQ(RectOf(other), (Rect{10, barHeight, 110, barHeight + 50})) << "other windows stay";
    }
    for (HWND window : {full, dialog, other}) DestroyWindow(window);
    PostMessageW(bar, WM_CLOSE, 0, 0);
    EXPECT_EQ(shell.WaitForExit(10000), 0);
    EXPECT_EQ(PhoneScreen().cx, GetSystemMetrics(SM_CXSCREEN)) << "without a shell the screen is the display";
}

TEST(DeviceShell, AScreenTheDisplayCannotHoldIsLoggedAndTheDisplayShownInstead) {
    std::unique_ptr<ChildProcess> shell;
    HWND bar = nullptr;
    const auto lines = LinesLoggedBy([&] {
        shell = std::make_unique<ChildProcess>(BesideTestBinary(L"DeviceShell.exe"), L"screen=100000x50");
        bar = WaitForTopLevelWindow(platform::TaskBarClass, shell->Id(), 10000);
    });
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Cannot show the screen at 100000x50: the display is ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("\t\tDeviceShell: MakeRoomFor (0)"), std::string::npos) << lines[0];
    EXPECT_EQ(PhoneScreen().cx, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(PhoneScreen().cy, GetSystemMetrics(SM_CYSCREEN));
    PostMessageW(bar, WM_CLOSE, 0, 0);
    EXPECT_EQ(shell->WaitForExit(10000), 0);
}
