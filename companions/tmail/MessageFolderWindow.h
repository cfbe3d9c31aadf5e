#pragma once
// The messaging program's folder view: the Outbox and Sent Items of the store "SMS" on two tabs, their
// messages in a list (recipient, text, and the state in the Outbox or the time in Sent Items), the
// selected message in full below it, and the commands New, Send again (for a message that was not
// sent) and Close. It follows the folders as the transport changes them.
#include "companions/tmail/ComposeWindow.h"
#include "companions/tmail/MessageRows.h"
#include "foundation/ScopedHandles.h"
#include "ui/WindowBase.h"

#include <memory>
#include <string>
#include <vector>

class MessageFolderWindow : public WindowBase {
public:
    ~MessageFolderWindow() override;

    // Opens the view on the store's folders; with endsProgram, closing it ends the program. False when
    // the window cannot be made.
    bool Open(const std::wstring& store, bool endsProgram);
    // Shows folder 0 (Outbox) or 1 (Sent Items).
    void ShowFolder(int folder);
    // Reads the folder again when it changed (or always, with force).
    void Refresh(bool force);

    static constexpr wchar_t ClassName[] = L"OrvanixMessagingFolders";
    static constexpr int Tabs = 100, List = 101, Preview = 102, NewButton = 103, SendAgainButton = 104,
                         CloseButton = 105;
    // The command that turns to the other folder (Ctrl+Tab).
    static constexpr int OtherFolder = 106;
    static constexpr UINT_PTR RefreshTimer = 1;

    std::vector<MessageRow> Rows; // of the folder shown, as listed

protected:
    int OnCreate(const CREATESTRUCTW& create) override;
    void OnDestroy() override;
    void OnSize(int width, int height) override;
    bool OnCommand(int id, int code, HWND from) override;
    void OnTimer(UINT_PTR id) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::wstring FolderPath() const;
    // The row selected in the list, or -1.
    int Selected() const;
    // Shows the selected message in full and enables Send again for a failed one.
    void ShowSelected();
    HWND Control(int id) const { return GetDlgItem(Window, id); }

    std::wstring store_;
    bool endsProgram_ = false;
    int folder_ = 0;
    std::wstring signature_;
    ScopedFont font_;
    std::unique_ptr<ComposeWindow> compose_;
};
