// Binding windows to objects, the order in which messages reach them, and fitting to the desktop.
#include "platform/PhoneShell.h"
#include "ui/ScreenMetrics.h"
#include "ui/WindowBase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingWindow : public WindowBase {
public:
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) handleAtCreate = Window;
        if (message == WM_SETTINGCHANGE || message == WM_ACTIVATE || message == WM_NCCREATE)
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
    return EqualRect(&a, &b);
}

TEST(WindowBase, BindsTheObjectFromCreationToDestruction) {
    HWND window;
    {
        RecordingWindow object;
        window = object.Create(L"probe", WS_POPUP, 10, 100, 50, nullptr);
        ASSERT_TRUE(window);
        EXPECT_EQ(object.handleAtCreate, window) << "the handle is set before the derived WM_CREATE runs";
        EXPECT_TRUE(object.events.empty()) << "messages before creation are not seen";
        RecordingWindow destroyed;
        ASSERT_TRUE(destroyed.Create(L"probe", WS_POPUP, 0, 10, 10, nullptr));
        DestroyWindow(destroyed.Window);
        EXPECT_EQ(destroyed.Window, nullptr);
    }
    EXPECT_FALSE(IsWindow(window)) << "destroying the object destroys its window";
}

TEST(WindowBase, InputPanelChangeAndActivationRefitAboveTheSoftKeyBarBeforeTheProcedureSeesThem) {
    RecordingWindow object;
    ASSERT_TRUE(object.Create(L"probe", WS_POPUP | WS_VISIBLE, 5, 50, 50, nullptr));
    const RECT before = object.CurrentRect();
    SendMessageW(object.Window, WM_SETTINGCHANGE, platform::SPI_SETSIPINFO, 0);
    EXPECT_TRUE(object.CurrentRect() == before) << "a window without the fit flag never moves";

    object.FitDesktop = 1;
    object.events.clear();
    SendMessageW(object.Window, WM_SETTINGCHANGE, platform::SPI_SETSIPINFO, 0);
    EXPECT_EQ(object.events, (std::vector<std::string>{"setting 224", "proc 26"}));
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_TRUE(object.rectSeenByProc == (RECT{0, 0, width, height - 26}))
        << "without a soft-key bar the status bar height stays free";

    platform::SHMENUBARINFO bar = {
        sizeof bar, object.Window, platform::SHCMBF_HMENU, 113, ModuleInstance(), 0, 0, nullptr, 0};
    ASSERT_TRUE(platform::SHCreateMenuBar(&bar));
    MoveWindow(bar.hwndMB, 0, 0, 50, 30, FALSE);
    SendMessageW(object.Window, WM_SETTINGCHANGE, 0x3002, 0);
    EXPECT_TRUE(object.CurrentRect() == (RECT{0, 0, width, height - 26}))
        << "other setting changes do not refit";
    SendMessageW(object.Window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(object.CurrentRect() == (RECT{0, 0, width, height - 30}));
}

} // namespace
