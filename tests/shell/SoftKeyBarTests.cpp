// The soft-key bar stand-in and the other shell operations dialogs and the main window rely on.
#include "platform/PhoneShell.h"
#include "shell/ScreenMetrics.h"
#include "shell/WindowBase.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr UINT OkCancelMenu = 113, PagesMenu = 122;

class Owner : public WindowBase {
public:
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) commands.push_back(LOWORD(wParam));
        if (message == WM_HOTKEY) hotkeys.push_back(lParam);
        if (message == WM_KEYDOWN || message == WM_KEYUP) keys.push_back(UINT(wParam));
        return WindowBase::WindowProc(window, message, wParam, lParam);
    }
    std::vector<UINT> commands;
    std::vector<LPARAM> hotkeys;
    std::vector<UINT> keys;
};

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

HWND CreateBar(HWND parent, UINT menu, DWORD flags = platform::SHCMBF_HMENU) {
    platform::SHMENUBARINFO info = {};
    info.cbSize = sizeof info;
    info.hwndParent = parent;
    info.dwFlags = flags;
    info.nToolBarId = menu;
    info.hInstRes = ModuleInstance();
    if (!platform::SHCreateMenuBar(&info)) return nullptr;
    return info.hwndMB;
}

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void Tap(HWND bar, int x) {
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 5));
    SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(x, 5));
}

void Key(HWND window, UINT message, UINT key, LPARAM flags = 0) {
    PostMessageW(window, message, key, flags | (message == WM_KEYUP ? 0xC0000001 : 1));
}

TEST(SoftKeyBar, SitsUnderItsWindowAndSendsTheMenuCommandsFromItsKeys) {
    Owner owner;
    ASSERT_TRUE(owner.Create(L"owner", WS_POPUP | WS_VISIBLE, 20, 200, 100, nullptr));
    HWND bar = CreateBar(owner.Window, OkCancelMenu);
    ASSERT_TRUE(bar);
    EXPECT_EQ(platform::SHFindMenuBar(owner.Window), bar);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_TRUE(WindowRect(bar) == (RECT{0, 120, 200, 120 + ScalePx(26, 96)})) << "26 pixels at 96 dpi";

    SetWindowPos(owner.Window, nullptr, 0, 30, 150, 80, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WindowRect(bar) == (RECT{0, 110, 150, 136})) << "the bar follows its window";

    const int screen = GetSystemMetrics(SM_CYSCREEN);
    SetWindowPos(owner.Window, nullptr, 0, 0, 150, screen, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WindowRect(bar) == (RECT{0, screen - 26, 150, screen}))
        << "no room below: inside the bottom edge";

    Tap(bar, 10);
    Tap(bar, 140);
    Pump();
    EXPECT_EQ(owner.commands, (std::vector<UINT>{IDOK, IDCANCEL}));

    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(140, 5));
    Pump();
    EXPECT_EQ(owner.commands.size(), 2u) << "a press that slides off its key is no tap";

    DestroyWindow(owner.Window);
    EXPECT_FALSE(IsWindow(bar)) << "the bar goes with its window";
}

TEST(SoftKeyBar, AShrunkBarStaysInvisibleYetItsKeysWorkFromTheKeyboard) {
    Owner owner;
    ASSERT_TRUE(owner.Create(L"main", WS_POPUP | WS_VISIBLE, 26, 240, 294, nullptr));
    HWND bar = CreateBar(owner.Window, PagesMenu);
    ASSERT_TRUE(bar);
    MoveWindow(bar, 0, 0, 0, 0, FALSE);
    SetWindowPos(owner.Window, nullptr, 0, 30, 240, 290, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WindowRect(bar) == (RECT{0, 0, 0, 0})) << "a shrunk bar no longer follows";

    Key(owner.Window, WM_KEYDOWN, VK_F1);
    Key(owner.Window, WM_KEYUP, VK_F1);
    Key(owner.Window, WM_KEYDOWN, VK_F2);
    Key(owner.Window, WM_KEYDOWN, VK_F2, 0x40000000);
    Key(owner.Window, WM_KEYUP, VK_F2);
    Pump();
    EXPECT_EQ(owner.commands, (std::vector<UINT>{40025, 40027}))
        << "left, right; auto-repeat does not repeat";
    EXPECT_TRUE(owner.keys.empty()) << "the window does not see the soft keys";
    DestroyWindow(owner.Window);
}

TEST(SoftKeyBar, TakingOverTheTalkKeyTurnsItIntoAHotKey) {
    Owner owner;
    ASSERT_TRUE(owner.Create(L"main", WS_POPUP | WS_VISIBLE, 26, 240, 294, nullptr));
    HWND bar = CreateBar(owner.Window, PagesMenu);
    ASSERT_TRUE(bar);

    Key(owner.Window, WM_KEYDOWN, VK_F3);
    Pump();
    EXPECT_EQ(owner.keys, std::vector<UINT>{VK_F3}) << "before the take-over F3 is an ordinary key";
    EXPECT_TRUE(owner.hotkeys.empty());

    EXPECT_EQ(SendMessageW(bar, platform::SHCMBM_OVERRIDEKEY, VK_F3, 0x30003), TRUE);
    owner.keys.clear();
    Key(owner.Window, WM_KEYDOWN, VK_F3);
    Key(owner.Window, WM_KEYDOWN, VK_F3, 0x40000000);
    Key(owner.Window, WM_KEYUP, VK_F3);
    Key(owner.Window, WM_KEYUP, VK_F4);
    Pump();
    ASSERT_EQ(owner.hotkeys.size(), 1u);
    EXPECT_EQ(HIWORD(owner.hotkeys[0]), 114);
    EXPECT_EQ(owner.keys, std::vector<UINT>{VK_F4}) << "F3 is taken; the End key passes as it is";

    SendMessageW(bar, platform::SHCMBM_OVERRIDEKEY, VK_F3, MAKELPARAM(platform::SHMBOF_NOTIFY, 0));
    Key(owner.Window, WM_KEYDOWN, VK_F3);
    Pump();
    EXPECT_EQ(owner.hotkeys.size(), 1u) << "without the notify flag no hot key arrives";
    EXPECT_EQ(owner.keys, std::vector<UINT>{VK_F4}) << "and with no-default still set F3 stays swallowed";
    DestroyWindow(owner.Window);
}

TEST(SoftKeyBar, RefusesWhatItCannotBuild) {
    Owner owner;
    ASSERT_TRUE(owner.Create(L"owner", WS_POPUP, 0, 100, 100, nullptr));
    EXPECT_EQ(CreateBar(owner.Window, 999), nullptr) << "a missing menu";
    EXPECT_EQ(CreateBar(owner.Window, OkCancelMenu, 0), nullptr) << "toolbar resources are not supported";
    EXPECT_EQ(CreateBar(nullptr, OkCancelMenu), nullptr);
    EXPECT_EQ(platform::SHFindMenuBar(owner.Window), nullptr);
    HWND hidden = CreateBar(owner.Window, OkCancelMenu, platform::SHCMBF_HMENU | platform::SHCMBF_HIDDEN);
    ASSERT_TRUE(hidden);
    EXPECT_FALSE(IsWindowVisible(hidden));
    DestroyWindow(owner.Window);
}

// A stand-in status bar, as the device shell makes one, along the top of the screen.
struct StatusBar {
    StatusBar() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = platform::TaskBarClass;
        RegisterClassW(&windowClass);
        window = CreateWindowExW(WS_EX_TOOLWINDOW, platform::TaskBarClass, L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                 GetSystemMetrics(SM_CXSCREEN), 40, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    ~StatusBar() { DestroyWindow(window); }
    HWND window;
};

TEST(PhoneShell, FullScreenDialogsFillTheScreenBelowTheStatusBar) {
    StatusBar status;
    platform::SIPINFO sip = {};
    sip.cbSize = sizeof sip;
    ASSERT_TRUE(platform::SHSipInfo(platform::SPI_GETSIPINFO, 0, &sip, 0));
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_TRUE(sip.rcVisibleDesktop == (RECT{0, 40, width, height}));
    EXPECT_EQ(sip.fdwFlags & platform::SIPF_ON, 0u) << "the input panel is down";
    sip.cbSize = 12;
    EXPECT_FALSE(platform::SHSipInfo(platform::SPI_GETSIPINFO, 0, &sip, 0));

    HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_CAPTION | WS_SYSMENU, 10, 10, 50, 50,
                                  nullptr, nullptr, nullptr, nullptr);
    platform::SHINITDLGINFO init = {platform::SHIDIM_FLAGS, dialog,
                                    platform::SHIDIF_DONEBUTTON | platform::SHIDIF_SIZEDLGFULLSCREEN};
    ASSERT_TRUE(platform::SHInitDialog(&init));
    EXPECT_TRUE(WindowRect(dialog) == (RECT{0, 40, width, height}));
    EXPECT_FALSE(GetWindowLongW(dialog, GWL_STYLE) & WS_CAPTION) << "the status bar carries the title";
    EXPECT_EQ(GetPropW(dialog, platform::DoneButtonProperty), reinterpret_cast<HANDLE>(platform::SHDB_SHOW));
    platform::SHDoneButton(dialog, platform::SHDB_HIDE);
    EXPECT_EQ(GetPropW(dialog, platform::DoneButtonProperty), nullptr);
    DestroyWindow(dialog);
}

TEST(PhoneShell, FullScreenShowsAndHidesTheStatusBar) {
    EXPECT_FALSE(platform::SHFullScreen(nullptr, platform::SHFS_HIDESIPBUTTON)) << "no status bar running";
    StatusBar status;
    EXPECT_TRUE(platform::SHFullScreen(nullptr, platform::SHFS_HIDETASKBAR));
    EXPECT_FALSE(IsWindowVisible(status.window));
    EXPECT_TRUE(platform::SHFullScreen(nullptr, platform::SHFS_SHOWTASKBAR | platform::SHFS_HIDESIPBUTTON));
    EXPECT_TRUE(IsWindowVisible(status.window));
    platform::SHRGINFO gesture = {sizeof gesture, status.window, {5, 5}, platform::SHRG_RETURNCMD};
    EXPECT_EQ(platform::SHRecognizeGesture(&gesture), 0u) << "no gesture: the caller's own timer decides";
}

} // namespace
