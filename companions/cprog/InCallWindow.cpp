#include "companions/cprog/InCallWindow.h"

#include "companions/cprog/CallLog.h"
#include "platform/PhoneCall.h"

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
    RegisterWindowClass(platform::DialerClass, nullptr);
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

void InCallWindow::OnSize(int width, int height) {
    const int margin = 32;
    const int buttonHeight = 56;
    MoveWindow(endButton_, margin, height - margin - buttonHeight, width - 2 * margin, buttonHeight, TRUE);
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

    RECT line = {16, 48, client.right - 16, 80};
    HGDIOBJ oldFont = SelectObject(memory, textFont_.Get());
    SetTextColor(memory, Dimmed);
    DrawTextW(memory, status_.c_str(), -1, &line, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    line = {16, 110, client.right - 16, 170};
    SelectObject(memory, titleFont_.Get());
    SetTextColor(memory, Foreground);
    DrawTextW(memory, title_.c_str(), -1, &line, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    line = {16, 180, client.right - 16, 220};
    SelectObject(memory, textFont_.Get());
    SetTextColor(memory, Dimmed);
    DrawTextW(memory, detail_.c_str(), -1, &line, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    SelectObject(memory, oldFont);
}

int InCallWindow::OnCreate(const CREATESTRUCTW&) {
    titleFont_.Reset(MakeFont(30, FW_SEMIBOLD));
    textFont_.Reset(MakeFont(18, FW_NORMAL));
    endButton_ = CreateWindowExW(0, L"BUTTON", L"Завершить", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0,
                                 0, Window, reinterpret_cast<HMENU>(EndButtonId), nullptr, nullptr);
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

bool InCallWindow::OnOtherMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_COPYDATA) return false;
    result = TakeCall(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    return true;
}
