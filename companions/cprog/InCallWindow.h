#pragma once
// The dialer's in-call screen (class "MSCprog"): the called party, the number and an end-call button.
// Hidden while there is no call; comes to the front with each call or service request. It fills the
// screen below the status bar, and fills it again when the screen is turned.
#include "companions/cprog/InCallLayout.h"
#include "foundation/ScopedHandles.h"
#include "ui/BufferedPaint.h"
#include "ui/WindowBase.h"

#include <string>

class InCallWindow : public WindowBase {
public:
    bool Create();

    // Shows and logs a call. When the setting "UseTelHandler" (REG_DWORD under the key
    // HKEY_CURRENT_USER "Software\Orvanix\Dialer", default 0) is non-zero, the number also goes to
    // the desktop's tel: handler, for a softphone or a paired phone.
    void ShowCall(const std::wstring& number, const std::wstring& name);
    // Shows and logs a service code handed to the call-policy window.
    void ShowServiceRequest(const std::wstring& code);

protected:
    int OnCreate(const CREATESTRUCTW& create) override;
    void OnDestroy() override;
    void OnSize(int width, int height) override;
    void OnPaint(HDC dc, const RECT& rcPaint) override;
    bool OnEraseBackground(HDC dc) override;
    bool OnCommand(int id, int code, HWND from) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Fills the part of the screen below the status bar.
    void FitToScreen();
    void Present(const wchar_t* status, const std::wstring& title, const std::wstring& detail);
    void Draw(HDC memory, const RECT& client);
    // The end-call button: red, with its caption in white.
    void DrawEndButton(const DRAWITEMSTRUCT& item);
    // Takes a call handed over by the phone library; false for a block that carries none.
    bool TakeCall(const COPYDATASTRUCT* copy);

    HWND endButton_ = nullptr;
    int dpi_ = 96;
    InCallLayout layout_;
    ScopedFont titleFont_;
    ScopedFont textFont_;
    PaintBuffer paintBuffer_;
    std::wstring status_;
    std::wstring title_;
    std::wstring detail_;
};
