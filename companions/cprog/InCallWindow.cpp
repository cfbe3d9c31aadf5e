#include "companions/cprog/InCallWindow.h"

#include "ui/BufferedPaint.h"

#include "platform/PhoneCall.h"
#include "companions/cprog/CallLog.h"

#include <shellapi.h>

#include <cwctype>

namespace {

constexpr int EndButtonId = 100;
constexpr int Width = 360;
constexpr int Height = 520;
constexpr COLORREF Background = RGB(24, 28, 36);
constexpr COLORREF Foreground = RGB(240, 240, 240);
constexpr COLORREF Dimmed = RGB(150, 160, 175);

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

HFONT MakeFont(int height, int weight) {
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
}

} // namespace

bool InCallWindow::Create() {
    RegisterWindowClass(platform::DialerClass, CreateSolidBrush(Background));
    if (!WindowBase::Create(L"Телефон", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, Width,
                            Height, nullptr))
        return false;
    return endButton_ != nullptr;
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
    ShowWindow(Window, SW_SHOWNORMAL);
    SetForegroundWindow(Window);
    InvalidateRect(Window, nullptr, FALSE);
    UpdateWindow(Window);
}

void InCallWindow::Layout() {
    RECT client;
    GetClientRect(Window, &client);
    const int margin = 32;
    const int buttonHeight = 56;
    MoveWindow(endButton_, margin, client.bottom - margin - buttonHeight, client.right - 2 * margin,
               buttonHeight, TRUE);
}

void InCallWindow::Paint() {
    platform::PaintBuffered(Window,
                            [this](HDC memory, const RECT& client, const RECT&) { Draw(memory, client); });
}

void InCallWindow::Draw(HDC memory, const RECT& client) {
    HBRUSH brush = CreateSolidBrush(Background);
    FillRect(memory, &client, brush);
    DeleteObject(brush);
    SetBkMode(memory, TRANSPARENT);

    RECT line = {16, 48, client.right - 16, 80};
    HGDIOBJ oldFont = SelectObject(memory, textFont_);
    SetTextColor(memory, Dimmed);
    DrawTextW(memory, status_.c_str(), -1, &line, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    line = {16, 110, client.right - 16, 170};
    SelectObject(memory, titleFont_);
    SetTextColor(memory, Foreground);
    DrawTextW(memory, title_.c_str(), -1, &line, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    line = {16, 180, client.right - 16, 220};
    SelectObject(memory, textFont_);
    SetTextColor(memory, Dimmed);
    DrawTextW(memory, detail_.c_str(), -1, &line, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    SelectObject(memory, oldFont);
}

LRESULT InCallWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        titleFont_ = MakeFont(30, FW_SEMIBOLD);
        textFont_ = MakeFont(18, FW_NORMAL);
        endButton_ = CreateWindowExW(0, L"BUTTON", L"Завершить", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0,
                                     0, 0, window, reinterpret_cast<HMENU>(EndButtonId), nullptr, nullptr);
        SendMessageW(endButton_, WM_SETFONT, reinterpret_cast<WPARAM>(textFont_), FALSE);
        return 0;
    case WM_SIZE:
        Layout();
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_COMMAND:
        // Ending the call puts the dialer away; it stays running for the next call.
        if (LOWORD(wParam) == EndButtonId) ShowWindow(window, SW_HIDE);
        return 0;
    case WM_COPYDATA: {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!copy || copy->dwData != platform::DialerCallDataId || !copy->lpData) return FALSE;
        // The number, a zero, the name, a zero; a block cut short still gives what it holds.
        const auto* text = static_cast<const wchar_t*>(copy->lpData);
        const size_t count = copy->cbData / sizeof(wchar_t);
        std::wstring all(text, count);
        const size_t split = all.find(L'\0');
        std::wstring number = all.substr(0, split);
        std::wstring name = split == std::wstring::npos ? L"" : all.substr(split + 1);
        name = name.substr(0, name.find(L'\0'));
        if (number.empty()) return FALSE;
        ShowCall(number, name);
        return TRUE;
    }
    case WM_DESTROY:
        DeleteObject(titleFont_);
        DeleteObject(textFont_);
        PostQuitMessage(0);
        return 0;
    }
    return WindowBase::WindowProc(window, message, wParam, lParam);
}
