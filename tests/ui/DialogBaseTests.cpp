// Dialogs from the executable's templates: binding, the order in which messages reach the object,
// and fitting to the desktop.
#include "platform/ModalHost.h"
#include "platform/PhoneShell.h"
#include "ui/DialogBase.h"

#include <gtest/gtest.h>

#include <algorithm>
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
               message == EndMessage;
    }

    std::vector<std::string> events;
    HWND handleAtInit = nullptr;
    HWND barAtDestroy = nullptr;
    INT_PTR endWith = 0;
};

TEST(DialogBase, ModalDialogRunsItsTemplateAndAHandledMessageSkipsTheDialogProcedure) {
    RecordingDialog dialog(115);
    dialog.endWith = 7;
    EXPECT_EQ(dialog.DoModal(nullptr), 7);
    EXPECT_TRUE(dialog.handleAtInit) << "the handle is set before WM_INITDIALOG is handled";
    EXPECT_EQ(dialog.Dialog, nullptr) << "the handle is cleared once the dialog is gone";
    ASSERT_GE(dialog.events.size(), 2u);
    EXPECT_EQ(dialog.events[1], "proc 272") << "OnMessage declined WM_INITDIALOG, so DialogProc sees it";
    EXPECT_EQ(std::count(dialog.events.begin(), dialog.events.end(), "proc " + std::to_string(EndMessage)), 0)
        << "OnMessage handled the end message";

    RecordingDialog missing(999);
    EXPECT_NE(missing.DoModal(nullptr), 1);
    EXPECT_EQ(missing.CreateModeless(nullptr, 1), nullptr);
    EXPECT_TRUE(missing.events.empty());
}

TEST(DialogBase, HooksComeFirstTheDialogFitsAboveItsSoftKeyBarAndTakesItAlong) {
    RecordingDialog dialog(115);
    ASSERT_TRUE(dialog.CreateModeless(nullptr, 1));
    dialog.FitDesktop = 1;
    HWND bar =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 40, 33, dialog.Dialog, nullptr, nullptr, nullptr);
    dialog.MenuBar = bar;
    dialog.events.clear();
    SendMessageW(dialog.Dialog, WM_SETTINGCHANGE, platform::SPI_SETSIPINFO, 0);
    SendMessageW(dialog.Dialog, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    RECT rect = {};
    GetWindowRect(dialog.Dialog, &rect);
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN) - 33) << "the dialog's own bar is kept free";
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"setting 224", "message 26", "proc 26", "activate 2",
                                                       "message 6", "proc 6"}));

    DestroyWindow(dialog.Dialog);
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_EQ(dialog.barAtDestroy, nullptr) << "the bar is gone before the dialog procedure sees WM_DESTROY";
}

} // namespace

namespace {

// A dialog of typed handlers: it initialises itself and ends on its own command.
class TypedDialog : public DialogBase {
public:
    TypedDialog() { TemplateId = 115; }
    bool OnInit() override {
        PostMessageW(Dialog, WM_COMMAND, MAKEWPARAM(42, 0), 0);
        return true;
    }
    bool OnCommand(int id, int, HWND) override {
        commands.push_back(id);
        if (id == 42) EndDialog(Dialog, 9);
        return true;
    }
    std::vector<int> commands;
};

TEST(DialogBase, TypedHandlersRunADialogAndAGoneObjectNoLongerHearsItsDialog) {
    TypedDialog modal;
    EXPECT_EQ(modal.DoModal(nullptr), 9);
    EXPECT_EQ(modal.commands, std::vector<int>{42});

    HWND dialog;
    {
        TypedDialog modeless;
        dialog = modeless.CreateModeless(nullptr, 0);
        ASSERT_TRUE(dialog);
    }
    // The dialog outlives its object: its messages reach nothing, and nothing crashes.
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(42, 0), 0);
    EXPECT_TRUE(IsWindow(dialog));
    DestroyWindow(dialog);
}

} // namespace

namespace {

TEST(DialogBase, AScriptAnswersAModalDialogOnceItIsInitialised) {
    std::vector<DWORD> opened;
    platform::SetDialogScript([&](HWND dialog, DWORD templateId) {
        opened.push_back(templateId);
        EndDialog(dialog, 7);
    });
    RecordingDialog dialog(115); // ends only when told to
    EXPECT_EQ(dialog.DoModal(nullptr), 7);
    platform::SetDialogScript({});
    EXPECT_EQ(opened, std::vector<DWORD>{115});
    EXPECT_EQ(dialog.events.front(), "message 272") << "the script comes after the dialog's own start";
}

} // namespace
