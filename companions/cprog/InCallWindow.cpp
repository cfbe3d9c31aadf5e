#include "companions/cprog/InCallWindow.h"

#include "companions/cprog/CallLog.h"
#include "platform/MainWindowMessages.h"
#include "platform/PhoneCall.h"
#include "platform/PhoneShell.h"

#include <shellapi.h>

#include <cwctype>

namespace {

constexpr int EndButtonId = 100;
constexpr COLORREF Background = RGB(24, 28, 36);
constexpr COLORREF Foreground = RGB(240, 240, 240);
constexpr COLORREF Dimmed = RGB(150, 160, 175);
constexpr COLORREF EndColor = RGB(204, 44, 44);
constexpr COLORREF EndPressedColor = RGB(150, 28, 28);

bool TelHandlerWanted() {
    DWORD value = 0;
    DWORD bytes = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Orvanix\\Dialer", L"UseTelHandler", RRF_RT_REG_DWORD,
                        nullptr, &value, &bytes) == ERROR_SUCCESS &&
           value != 0;
}

// "tel:" and the number, with everything but digits, letters and "+*-.()" percent-encoded.
std::wstring TelUri(const std::wstring& number) {
    std::wstring uri = L"tel:";
    for (wchar_t c : number) {
        if (std::iswalnum(c) && c < 128) {
            uri += c;
        } else if (std::wstring(L"+*-.()").find(c) != std::wstring::npos) {
            uri += c;
        } else if (c < 128) {
            wchar_t escaped[4];
            swprintf(escaped, 4, L"%%%02X", static_cast<unsigned>(c));
            uri += escaped;
        }
    }
    return uri;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

HFONT MakeFont(int height, int weight) {
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
}

} // namespace

bool InCallWindow::Create() {
    RegisterWindowClass(platform::DialerClass, nullptr);
    dpi_ = ScreenDpi();
    if (!WindowBase::Create(L"Телефон", WS_POPUP, 0, 0, 0, nullptr)) return false;
    FitToScreen();
    return endButton_ != nullptr;
}

void InCallWindow::FitToScreen() {
    platform::SIPINFO sip = {};
    sip.cbSize = sizeof sip;
    if (!platform::SHSipInfo(platform::SPI_GETSIPINFO, 0, &sip, 0)) return;
    const RECT& free = sip.rcVisibleDesktop;
    SetWindowPos(Window, nullptr, free.left, free.top, free.right - free.left, free.bottom - free.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void InCallWindow::ShowCall(const std::wstring& number, const std::wstring& name) {
    dialer::AppendCallLog(number, name, dialer::CallKind);
    Present(L"Вызов…", name.empty() ? number : name, name.empty() ? std::wstring() : number);
    if (TelHandlerWanted())
        ShellExecuteW(Window, L"open", TelUri(number).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void InCallWindow::ShowServiceRequest(const std::wstring& code) {
    dialer::AppendCallLog(code, L"", dialer::ServiceKind);
    Present(L"Запрос отправлен", code, L"Служебный код");
}

void InCallWindow::Present(const wchar_t* status, const std::wstring& title, const std::wstring& detail) {
    status_ = status;
    title_ = title;
    detail_ = detail;
    FitToScreen();
    ShowWindow(Window, SW_SHOWNORMAL);
    SetForegroundWindow(Window);
    InvalidateRect(Window, nullptr, FALSE);
    UpdateWindow(Window);
}

void InCallWindow::OnSize(int width, int height) {
    layout_ = LayOutInCall(width, height, dpi_);
    const RECT& button = layout_.EndButton;
    MoveWindow(endButton_, button.left, button.top, button.right - button.left, button.bottom - button.top,
               TRUE);
    InvalidateRect(Window, nullptr, FALSE);
}

void InCallWindow::OnPaint(HDC dc, const RECT& rcPaint) {
    paintBuffer_.Paint(Window, dc, rcPaint, [&](HDC memory, const RECT& client) { Draw(memory, client); });
}

bool InCallWindow::OnEraseBackground(HDC) {
    return true;
}

void InCallWindow::Draw(HDC memory, const RECT& client) {
    SetDCBrushColor(memory, Background);
    FillRect(memory, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetBkMode(memory, TRANSPARENT);

    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
    RECT line = layout_.Status;
    HGDIOBJ oldFont = SelectObject(memory, textFont_.Get());
    SetTextColor(memory, Dimmed);
    DrawTextW(memory, status_.c_str(), -1, &line, format);
    line = layout_.Title;
    SelectObject(memory, titleFont_.Get());
    SetTextColor(memory, Foreground);
    DrawTextW(memory, title_.c_str(), -1, &line, format);
    line = layout_.Detail;
    SelectObject(memory, textFont_.Get());
    SetTextColor(memory, Dimmed);
    DrawTextW(memory, detail_.c_str(), -1, &line, format);
    SelectObject(memory, oldFont);
}

int InCallWindow::OnCreate(const CREATESTRUCTW&) {
    const InCallLayout sizes = LayOutInCall(0, 0, dpi_);
    titleFont_.Reset(MakeFont(sizes.TitleFontHeight, FW_SEMIBOLD));
    textFont_.Reset(MakeFont(sizes.TextFontHeight, FW_NORMAL));
    endButton_ = CreateWindowExW(0, L"BUTTON", L"Завершить", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 0, 0,
                                 Window, reinterpret_cast<HMENU>(EndButtonId), nullptr, nullptr);
    SendMessageW(endButton_, WM_SETFONT, reinterpret_cast<WPARAM>(textFont_.Get()), FALSE);
    return 0;
}

void InCallWindow::OnDestroy() {
    PostQuitMessage(0);
}

bool InCallWindow::OnCommand(int id, int, HWND) {
    if (id != EndButtonId) return false;
    // Ending the call puts the dialer away; it stays running for the next call.
    ShowWindow(Window, SW_HIDE);
    return true;
}

void InCallWindow::DrawEndButton(const DRAWITEMSTRUCT& item) {
    SetDCBrushColor(item.hDC, Background);
    FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    const int round = (item.rcItem.bottom - item.rcItem.top) / 3;
    HGDIOBJ oldBrush = SelectObject(item.hDC, GetStockObject(DC_BRUSH));
    HGDIOBJ oldPen = SelectObject(item.hDC, GetStockObject(NULL_PEN));
    SetDCBrushColor(item.hDC, item.itemState & ODS_SELECTED ? EndPressedColor : EndColor);
    RoundRect(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right + 1, item.rcItem.bottom + 1,
              round, round);
    SelectObject(item.hDC, oldPen);
    SelectObject(item.hDC, oldBrush);
    wchar_t caption[64];
    const int length = GetWindowTextW(item.hwndItem, caption, 64);
    HGDIOBJ oldFont = SelectObject(item.hDC, textFont_.Get());
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, Foreground);
    RECT text = item.rcItem;
    DrawTextW(item.hDC, caption, length, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, oldFont);
}

bool InCallWindow::TakeCall(const COPYDATASTRUCT* copy) {
    if (!copy || copy->dwData != platform::DialerCallDataId || !copy->lpData) return false;
    // The number, a zero, the name, a zero; a block cut short still gives what it holds.
    const auto* text = static_cast<const wchar_t*>(copy->lpData);
    const size_t count = copy->cbData / sizeof(wchar_t);
    std::wstring all(text, count);
    const size_t split = all.find(L'\0');
    std::wstring number = all.substr(0, split);
    std::wstring name = split == std::wstring::npos ? L"" : all.substr(split + 1);
    name = name.substr(0, name.find(L'\0'));
    if (number.empty()) return false;
    ShowCall(number, name);
    return true;
}

bool InCallWindow::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COPYDATA:
        result = TakeCall(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return true;
    case WM_DRAWITEM:
        DrawEndButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    case WM_SETTINGCHANGE:
        // The screen was turned: fill it again in its new shape.
        if (wParam == RotationSetting) FitToScreen();
        return false;
    case WM_DISPLAYCHANGE:
        FitToScreen();
        return false;
    }
    return false;
}
