// The soft-key bar stand-in: its keys' commands and the taken-over Talk key.
#include "platform/PhoneShell.h"
#include "ui/ScreenMetrics.h"
#include "ui/WindowBase.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr UINT PagesMenu = 122;

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

void Key(HWND window, UINT message, UINT key, LPARAM flags = 0) {
    PostMessageW(window, message, key, flags | (message == WM_KEYUP ? 0xC0000001 : 1));
}

class SoftKeyBar : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.Create(L"main", WS_POPUP | WS_VISIBLE, 26, 240, 294, nullptr));
        platform::SHMENUBARINFO info = {
            sizeof info, owner.Window, platform::SHCMBF_HMENU, PagesMenu, ModuleInstance(), 0, 0, nullptr, 0};
        ASSERT_TRUE(platform::SHCreateMenuBar(&info));
        bar = info.hwndMB;
    }
    void TearDown() override { DestroyWindow(owner.Window); }
    Owner owner;
    HWND bar = nullptr;
};

TEST_F(SoftKeyBar, SoftKeysSendTheirCommandsOnceAndNeverReachTheWindow) {
    Key(owner.Window, WM_KEYDOWN, VK_F1);
    Key(owner.Window, WM_KEYUP, VK_F1);
    Key(owner.Window, WM_KEYDOWN, VK_F2);
    Key(owner.Window, WM_KEYDOWN, VK_F2, 0x40000000);
    Key(owner.Window, WM_KEYUP, VK_F2);
    Key(owner.Window, WM_KEYDOWN, VK_F3);
    Pump();
    EXPECT_EQ(owner.commands, (std::vector<UINT>{40025, 40027}))
        << "left, right; auto-repeat does not repeat";
    EXPECT_EQ(owner.keys, std::vector<UINT>{VK_F3}) << "F3 is an ordinary key until taken over";
}

TEST_F(SoftKeyBar, ATakenOverTalkKeyArrivesAsOneHotKeyAndOnlyWhenNotifying) {
    EXPECT_EQ(SendMessageW(bar, platform::SHCMBM_OVERRIDEKEY, VK_F3, 0x30003), TRUE);
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
}

} // namespace
