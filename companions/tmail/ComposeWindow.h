#pragma once
// The messaging program's composer: the recipient ("Name <number>" or a number), the text and a count
// of its characters, Send and Cancel. Send submits the message through the store's Outbox.
#include "companions/tmail/MessageRows.h"
#include "foundation/ScopedHandles.h"
#include "ui/WindowBase.h"

class ComposeWindow : public WindowBase {
public:
    ~ComposeWindow() override;

    // Opens the composer addressed to recipient; with endsProgram, closing it ends the program.
    bool Open(const Recipient& recipient, bool endsProgram);
    // Sends what the window holds; false (and the window stays) when there is no number or the
    // message cannot be stored.
    bool Send();

    static constexpr wchar_t ClassName[] = L"OrvanixMessagingCompose";
    static constexpr int ToLabel = 200, To = 201, TextLabel = 202, Text = 203, Count = 204, SendButton = 205,
                         CancelButton = 206;

protected:
    int OnCreate(const CREATESTRUCTW& create) override;
    void OnDestroy() override;
    void OnSize(int width, int height) override;
    bool OnCommand(int id, int code, HWND from) override;

private:
    void ShowCount();
    std::wstring ControlText(int id) const;
    HWND Control(int id) const { return GetDlgItem(Window, id); }

    bool endsProgram_ = false;
    ScopedFont font_;
};
