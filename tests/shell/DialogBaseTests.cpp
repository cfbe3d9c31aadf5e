// Dialogs from the executable's templates: binding, the order in which messages reach the object,
// captions and fitting to the desktop.
#include "platform/PhoneShell.h"
#include "shell/DialogBase.h"
#include "shell/WindowBase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr UINT EndMessage = WM_APP + 7;

class RecordingDialog : public DialogBase {
public:
    explicit RecordingDialog(DWORD templateId) { TemplateId = templateId; }

    int OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        if (message == WM_INITDIALOG) {
            handleAtInit = Dialog;
            PostMessageW(dialog, EndMessage, 0, 0);
        }
        if (Recorded(message)) events.push_back("message " + std::to_string(message));
        if (message == EndMessage && endWith) {
            EndDialog(dialog, endWith);
            result = 1;
            return 1;
        }
        if (message == WM_INITDIALOG && claimInit) {
            result = 0;
            return 1;
        }
        return DialogBase::OnMessage(dialog, message, wParam, lParam, result);
    }
    INT_PTR DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (Recorded(message)) events.push_back("proc " + std::to_string(message));
        if (message == WM_DESTROY) barAtDestroy = MenuBar;
        return DialogBase::DialogProc(dialog, message, wParam, lParam);
    }
    void OnActivate(WPARAM wParam, LPARAM lParam) override {
        events.push_back("activate " + std::to_string(LOWORD(wParam)));
        DialogBase::OnActivate(wParam, lParam);
    }
    void OnSettingChange(WPARAM wParam, LPARAM lParam) override {
        events.push_back("setting " + std::to_string(wParam));
        DialogBase::OnSettingChange(wParam, lParam);
    }

    static bool Recorded(UINT message) {
        return message == WM_INITDIALOG || message == WM_ACTIVATE || message == WM_SETTINGCHANGE ||
               message == WM_DESTROY || message == EndMessage;
    }

    std::vector<std::string> events;
    HWND handleAtInit = nullptr;
    HWND barAtDestroy = nullptr;
    INT_PTR endWith = 0;
    bool claimInit = false;
};

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::wstring TextOf(HWND window) {
    wchar_t text[300] = {};
    GetWindowTextW(window, text, 300);
    return text;
}

TEST(DialogBase, ModalDialogRunsItsTemplateAndReturnsTheEndValue) {
    for (DWORD id : {112u, 115u}) {
        RecordingDialog dialog(id);
        dialog.endWith = 7;
        EXPECT_EQ(dialog.DoModal(nullptr), 7) << id;
        EXPECT_TRUE(dialog.handleAtInit) << "the handle is set before WM_INITDIALOG is handled";
        EXPECT_EQ(dialog.Dialog, nullptr) << "the handle is cleared once the dialog is gone";
        ASSERT_GE(dialog.events.size(), 2u);
        EXPECT_EQ(dialog.events[0], "message 272");
        EXPECT_EQ(dialog.events[1], "proc 272") << "OnMessage declined WM_INITDIALOG, so DialogProc sees it";
        EXPECT_EQ(dialog.events.back(), "proc 2");
    }
}

TEST(DialogBase, AHandledMessageNeverReachesTheDialogProcedure) {
    RecordingDialog dialog(112);
    dialog.endWith = 3;
    dialog.claimInit = true;
    EXPECT_EQ(dialog.DoModal(nullptr), 3);
    for (const std::string& event : dialog.events) {
        EXPECT_NE(event, "proc 272");
        EXPECT_NE(event, "proc " + std::to_string(EndMessage));
    }
}

TEST(DialogBase, AMissingTemplateIsARefusal) {
    RecordingDialog dialog(999);
    EXPECT_NE(dialog.DoModal(nullptr), 1);
    EXPECT_TRUE(dialog.events.empty());
    EXPECT_EQ(dialog.CreateModeless(nullptr, 1), nullptr);
}

TEST(DialogBase, ModelessDialogIsShownOnlyWhenAsked) {
    RecordingDialog hidden(115), shown(115);
    HWND hiddenDialog = hidden.CreateModeless(nullptr, 0);
    HWND shownDialog = shown.CreateModeless(nullptr, 1);
    ASSERT_TRUE(hiddenDialog);
    ASSERT_TRUE(shownDialog);
    EXPECT_EQ(hidden.Dialog, hiddenDialog);
    EXPECT_FALSE(IsWindowVisible(hiddenDialog));
    EXPECT_TRUE(IsWindowVisible(shownDialog));
    DestroyWindow(hiddenDialog);
    DestroyWindow(shownDialog);
    EXPECT_EQ(hidden.Dialog, nullptr);
}

TEST(DialogBase, ActivationAndSettingsReachTheHooksFirst) {
    RecordingDialog dialog(115);
    ASSERT_TRUE(dialog.CreateModeless(nullptr, 0));
    dialog.events.clear();
    SendMessageW(dialog.Dialog, WM_ACTIVATE, WA_ACTIVE, 0);
    SendMessageW(dialog.Dialog, WM_SETTINGCHANGE, platform::SPI_SETSIPINFO, 0);
    const std::vector<std::string> expected = {"activate 1",  "message 6",  "proc 6",
                                               "setting 224", "message 26", "proc 26"};
    EXPECT_EQ(dialog.events, expected);
    DestroyWindow(dialog.Dialog);
}

TEST(DialogBase, DestroyingTheDialogTakesItsSoftKeyBarAlong) {
    RecordingDialog dialog(115);
    ASSERT_TRUE(dialog.CreateModeless(nullptr, 0));
    HWND bar =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, dialog.Dialog, nullptr, nullptr, nullptr);
    dialog.MenuBar = bar;
    DestroyWindow(dialog.Dialog);
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_EQ(dialog.MenuBar, nullptr);
    EXPECT_EQ(dialog.barAtDestroy, nullptr) << "the bar is gone before the dialog procedure sees WM_DESTROY";
}

TEST(DialogBase, CopiesTheCaptionOfTheTopmostOwner) {
    WindowBase main;
    ASSERT_TRUE(main.Create(L"Orvanix Dialvane", WS_POPUP, 0, 100, 100, nullptr));
    RecordingDialog outer(115), inner(112);
    ASSERT_TRUE(outer.CreateModeless(main.Window, 0));
    ASSERT_TRUE(inner.CreateModeless(outer.Dialog, 0));
    inner.CopyOwnerCaption();
    EXPECT_EQ(TextOf(inner.Dialog), L"Orvanix Dialvane");

    RecordingDialog alone(115);
    ASSERT_TRUE(alone.CreateModeless(nullptr, 0));
    alone.CopyOwnerCaption();
    EXPECT_EQ(TextOf(alone.Dialog), L"Dialog") << "without an owner the dialog keeps its own caption";
    DestroyWindow(alone.Dialog);
    DestroyWindow(inner.Dialog);
    DestroyWindow(outer.Dialog);
}

TEST(DialogBase, FitsBelowTheStatusBarLeavingItsSoftKeyBarFree) {
    RecordingDialog dialog(115);
    ASSERT_TRUE(dialog.CreateModeless(nullptr, 1));
    const RECT before = WindowRect(dialog.Dialog);
    SendMessageW(dialog.Dialog, WM_SETTINGCHANGE, platform::SPI_SETSIPINFO, 0);
    EXPECT_TRUE(WindowRect(dialog.Dialog) == before) << "without the fit flag nothing moves";

    dialog.FitDesktop = 1;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    SendMessageW(dialog.Dialog, WM_SETTINGCHANGE, platform::SPI_SETSIPINFO, 0);
    EXPECT_TRUE(WindowRect(dialog.Dialog) == (RECT{0, 0, width, height - 26}))
        << "no bar: the status bar height";

    dialog.MenuBar =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 40, 33, dialog.Dialog, nullptr, nullptr, nullptr);
    SendMessageW(dialog.Dialog, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_TRUE(WindowRect(dialog.Dialog) == (RECT{0, 0, width, height - 33}));
    DestroyWindow(dialog.Dialog);
}

} // namespace
