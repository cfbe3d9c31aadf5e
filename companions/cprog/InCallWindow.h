#pragma once
// The dialer's in-call screen (class "MSCprog"): the called party, the number and an end-call button.
// Hidden while there is no call; comes to the front with each call or service request.
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

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Present(const wchar_t* status, const std::wstring& title, const std::wstring& detail);
    void Paint();
    void Draw(HDC memory, const RECT& client);
    void Layout();

    HWND endButton_ = nullptr;
    HFONT titleFont_ = nullptr;
    HFONT textFont_ = nullptr;
    std::wstring status_;
    std::wstring title_;
    std::wstring detail_;
};
