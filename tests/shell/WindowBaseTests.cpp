// Binding windows to objects, the order in which messages reach them, and fitting to the desktop.
#include "platform/PhoneShell.h"
#include "shell/ScreenMetrics.h"
#include "shell/WindowBase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingWindow : public WindowBase {
public:
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) handleAtCreate = Window;
        if (message == WM_SETTINGCHANGE || message == WM_ACTIVATE || message == WM_DESTROY ||
            message == WM_NCCREATE || message == WM_GETMINMAXINFO)
            events.push_back("proc " + std::to_string(message));
        if (message == WM_SETTINGCHANGE) rectSeenByProc = CurrentRect();
        return WindowBase::WindowProc(window, message, wParam, lParam);
    }
    void OnSettingChange(WPARAM wParam, LPARAM lParam) override {
        events.push_back("setting " + std::to_string(wParam));
        WindowBase::OnSettingChange(wParam, lParam);
    }
    void OnActivate(WPARAM wParam, LPARAM lParam) override {
        events.push_back("activate " + std::to_string(LOWORD(wParam)));
        WindowBase::OnActivate(wParam, lParam);
    }
    RECT CurrentRect() const {
        RECT rect = {};
        GetWindowRect(Window, &rect);
        return rect;
    }

    std::vector<std::string> events;
    HWND handleAtCreate = nullptr;
    RECT rectSeenByProc = {};
};

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

TEST(WindowBase, BindsTheObjectFromCreationToDestruction) {
    RecordingWindow object;
    HWND window = object.Create(L"probe", WS_POPUP, 10, 100, 50, nullptr);
    ASSERT_TRUE(window);
    EXPECT_EQ(object.handleAtCreate, window) << "the handle is set before the derived WM_CREATE runs";
    EXPECT_EQ(object.Window, window);
    EXPECT_EQ(ClassOf(window), L"OrvSWndCls");
    EXPECT_STREQ(object.ClassName, L"OrvSWndCls");
}

TEST(WindowBase, MessagesBeforeCreationAreNotSeen) {
    RecordingWindow object;
    ASSERT_TRUE(object.Create(L"probe", WS_POPUP, 0, 10, 10, nullptr));
    for (const std::string& event : object.events) {
        EXPECT_NE(event, "proc " + std::to_string(WM_NCCREATE));
        EXPECT_NE(event, "proc " + std::to_string(WM_GETMINMAXINFO));
    }
    DestroyWindow(object.Window);
    EXPECT_EQ(object.Window, nullptr);
    EXPECT_EQ(object.events.back(), "proc " + std::to_string(WM_DESTROY));
}

TEST(WindowBase, ARegisteredClassCanServeTwoWindows) {
    RecordingWindow first, second;
    first.RegisterWindowClass(L"DialvaneProbeClass", static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    second.RegisterWindowClass(L"DialvaneProbeClass", static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ASSERT_TRUE(first.Create(L"one", WS_POPUP, 0, 10, 10, nullptr));
    ASSERT_TRUE(second.Create(L"two", WS_POPUP, 0, 10, 10, nullptr));
    EXPECT_EQ(ClassOf(second.Window), L"DialvaneProbeClass");
    EXPECT_NE(first.Window, second.Window);
}

TEST(WindowBase, InputPanelChangeRefitsBeforeTheProcedureSeesIt) {
    RecordingWindow object;
    ASSERT_TRUE(object.Create(L"probe", WS_POPUP | WS_VISIBLE, 5, 50, 50, nullptr));
    const RECT before = object.CurrentRect();

    SendMessageW(object.Window, WM_SETTINGCHANGE, platform::SPI_SETSIPINFO, 0);
    EXPECT_TRUE(object.CurrentRect() == before) << "a window without the fit flag never moves";

    object.FitDesktop = 1;
    object.events.clear();
    SendMessageW(object.Window, WM_SETTINGCHANGE, platform::SPI_SETSIPINFO, 0);
    ASSERT_EQ(object.events.size(), 2u);
    EXPECT_EQ(object.events[0], "setting 224");
    EXPECT_EQ(object.events[1], "proc " + std::to_string(WM_SETTINGCHANGE));
    const RECT expected = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - 26};
    EXPECT_TRUE(object.rectSeenByProc == expected)
        << "without a soft-key bar the status bar height stays free";

    SendMessageW(object.Window, WM_SETTINGCHANGE, 0x3002, 0);
    EXPECT_TRUE(object.CurrentRect() == expected) << "other setting changes do not refit";
}

TEST(WindowBase, FittingLeavesTheSoftKeyBarFree) {
    RecordingWindow object;
    object.FitDesktop = 1;
    ASSERT_TRUE(object.Create(L"probe", WS_POPUP | WS_VISIBLE, 0, 50, 50, nullptr));
    platform::SHMENUBARINFO bar = {};
    bar.cbSize = sizeof bar;
    bar.hwndParent = object.Window;
    bar.dwFlags = platform::SHCMBF_HMENU;
    bar.nToolBarId = 113;
    bar.hInstRes = ModuleInstance();
    ASSERT_TRUE(platform::SHCreateMenuBar(&bar));
    MoveWindow(bar.hwndMB, 0, 0, 50, 30, FALSE);

    object.events.clear();
    SendMessageW(object.Window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(object.events.front(), "activate 1");
    const RECT expected = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - 30};
    EXPECT_TRUE(object.CurrentRect() == expected);
}

TEST(WindowBase, DestroyingTheObjectDestroysItsWindow) {
    HWND window;
    {
        RecordingWindow object;
        window = object.Create(L"probe", WS_POPUP, 0, 10, 10, nullptr);
        ASSERT_TRUE(IsWindow(window));
    }
    EXPECT_FALSE(IsWindow(window));
}

} // namespace
