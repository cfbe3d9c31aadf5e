// Binding windows to objects, the order in which messages reach them, and fitting to the desktop.
#include "platform/MainWindowMessages.h"
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
        if (message == WM_NCCREATE) handleAtNcCreate = Window;
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
    HWND handleAtNcCreate = nullptr;
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
        EXPECT_EQ(object.handleAtNcCreate, window) << "bound from the very first message";
        EXPECT_EQ(object.events, std::vector<std::string>{"proc 129"});
        RecordingWindow destroyed;
        ASSERT_TRUE(destroyed.Create(L"probe", WS_POPUP, 0, 10, 10, nullptr));
        DestroyWindow(destroyed.Window);
        EXPECT_EQ(destroyed.Window, nullptr);
    }
    EXPECT_FALSE(IsWindow(window)) << "destroying the object destroys its window";
}

// Typed handlers, and what happens to a window's capture and clean-up however it goes. The events go to
// a list outside the object, so that they can be read after it is gone.
class HandlerWindow : public WindowBase {
public:
    HandlerWindow(std::vector<std::string>& events, bool destroyInDestructor)
        : events_(events), destroyInDestructor_(destroyInDestructor) {}
    ~HandlerWindow() override {
        if (destroyInDestructor_) Destroy();
    }
    int OnCreate(const CREATESTRUCTW& create) override {
        events_.push_back("create " + std::to_string(create.cx));
        return 0;
    }
    void OnDestroy() override { events_.push_back("destroy"); }
    bool OnCommand(int id, int code, HWND) override {
        events_.push_back("command " + std::to_string(id) + " " + std::to_string(code));
        return true;
    }
    void OnTimer(UINT_PTR id) override { events_.push_back("timer " + std::to_string(id)); }
    bool OnPenDown(int x, int y) override {
        events_.push_back("pen " + std::to_string(x) + "," + std::to_string(y));
        SetCapture(Window);
        return true;
    }
    bool OnKeyDown(UINT key, LPARAM) override {
        events_.push_back("key " + std::to_string(key));
        return true;
    }

private:
    std::vector<std::string>& events_;
    bool destroyInDestructor_;
};

TEST(WindowBase, TypedHandlersGetTheMessagesDecodedAndDefaultsTheRest) {
    std::vector<std::string> events;
    HandlerWindow object(events, true);
    ASSERT_TRUE(object.Create(L"probe", WS_POPUP, 0, 64, 32, nullptr));
    SendMessageW(object.Window, WM_COMMAND, MAKEWPARAM(5, 1), 0);
    SendMessageW(object.Window, WM_LBUTTONDOWN, 0, MAKELPARAM(-3, 12));
    SendMessageW(object.Window, WM_KEYDOWN, VK_LEFT, 0);
    SendMessageW(object.Window, WM_TIMER, 4, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"create 64", "command 5 1", "pen -3,12",
                                                "key " + std::to_string(VK_LEFT), "timer 4"}));
    EXPECT_EQ(SendMessageW(object.Window, WM_GETTEXTLENGTH, 0, 0), 5) << "the rest goes to DefWindowProc";
    ReleaseCapture();
}

TEST(WindowBase, CleanUpRunsWhicheverDestructorDestroysTheWindow) {
    std::vector<std::string> events;
    HWND window;
    {
        HandlerWindow object(events, true);
        window = object.Create(L"probe", WS_POPUP, 0, 8, 8, nullptr);
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(events.back(), "destroy") << "a class that destroys in its destructor sees WM_DESTROY";

    events.clear();
    {
        HandlerWindow object(events, false);
        window = object.Create(L"probe", WS_POPUP, 0, 8, 8, nullptr);
        SendMessageW(window, WM_LBUTTONDOWN, 0, 0);
        ASSERT_EQ(GetCapture(), window);
    }
    EXPECT_FALSE(IsWindow(window)) << "the base destructor destroys what is left";
    EXPECT_EQ(events.back(), "pen 0,0") << "without reaching the part of the object already gone";
    EXPECT_EQ(GetCapture(), nullptr) << "and the window's capture ends with it";
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
    SendMessageW(object.Window, WM_SETTINGCHANGE, RotationSetting, 0);
    EXPECT_TRUE(object.CurrentRect() == (RECT{0, 0, width, height - 26}))
        << "other setting changes do not refit";
    SendMessageW(object.Window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(object.CurrentRect() == (RECT{0, 0, width, height - 30}));
}

} // namespace
