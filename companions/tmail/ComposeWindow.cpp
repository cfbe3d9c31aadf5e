#include "companions/tmail/ComposeWindow.h"

#include "companions/tmail/MessagingLook.h"
#include "platform/ModalHost.h"
#include "platform/SmsTransport.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr wchar_t Caption[] = L"Сообщения";

HWND MakeControl(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                 DWORD exStyle = 0) {
    return CreateWindowExW(exStyle, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

} // namespace

ComposeWindow::~ComposeWindow() {
    Destroy();
}

bool ComposeWindow::Open(const Recipient& recipient, bool endsProgram) {
    endsProgram_ = endsProgram;
    RegisterWindowClass(ClassName, GetSysColorBrush(COLOR_BTNFACE));
    const RECT place = MessagingWindowRect();
    if (!Create(L"Новое SMS", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, place.top, place.right - place.left,
                place.bottom - place.top, nullptr))
        return false;
    SetWindowPos(Window, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowTextW(Control(To), FormatRecipient(recipient).c_str());
    ShowWindow(Window, SW_SHOW);
    SetForegroundWindow(Window);
    SetFocus(Control(recipient.Number.empty() ? To : Text));
    return true;
}

int ComposeWindow::OnCreate(const CREATESTRUCTW&) {
    SetWindowLongPtrW(Window, GWL_EXSTYLE, GetWindowLongPtrW(Window, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    font_.Reset(MessagingFont(9, FW_NORMAL));
    MakeControl(Window, L"STATIC", L"Кому:", 0, ToLabel);
    MakeControl(Window, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, To, WS_EX_CLIENTEDGE);
    MakeControl(Window, L"STATIC", L"Текст:", 0, TextLabel);
    MakeControl(Window, L"EDIT", L"", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                Text, WS_EX_CLIENTEDGE);
    MakeControl(Window, L"STATIC", L"", SS_RIGHT, Count);
    MakeControl(Window, L"BUTTON", L"Отправить", WS_TABSTOP | BS_DEFPUSHBUTTON, SendButton);
    MakeControl(Window, L"BUTTON", L"Отмена", WS_TABSTOP | BS_PUSHBUTTON, CancelButton);
    // The composer takes texts of any length; the edit box's own limit would stop at 32,767 characters.
    SendMessageW(Control(Text), EM_SETLIMITTEXT, 0, 0);
    SetChildFonts(Window, font_.Get());
    ShowCount();
    return 0;
}

void ComposeWindow::OnDestroy() {
    if (endsProgram_) PostQuitMessage(0);
}

void ComposeWindow::OnSize(int width, int height) {
    const int line = MessagingLineHeight(Window, font_.Get());
    const int margin = line / 2;
    const int field = line + line / 2;
    const int button = line * 2;
    const int inner = width - 2 * margin;
    int y = margin;
    MoveWindow(Control(ToLabel), margin, y, inner, line, TRUE);
    y += line + margin / 2;
    MoveWindow(Control(To), margin, y, inner, field, TRUE);
    y += field + margin;
    MoveWindow(Control(TextLabel), margin, y, inner / 2, line, TRUE);
    MoveWindow(Control(Count), margin + inner / 2, y, inner - inner / 2, line, TRUE);
    y += line + margin / 2;
    const int bottom = height - margin - button;
    MoveWindow(Control(Text), margin, y, inner, bottom - margin - y > 0 ? bottom - margin - y : 0, TRUE);
    const int half = (inner - margin) / 2;
    MoveWindow(Control(SendButton), margin, bottom, half, button, TRUE);
    MoveWindow(Control(CancelButton), margin + half + margin, bottom, inner - half - margin, button, TRUE);
}

std::wstring ComposeWindow::ControlText(int id) const {
    HWND control = Control(id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(GetWindowTextW(control, text.data(), static_cast<int>(text.size())));
    return text;
}

void ComposeWindow::ShowCount() {
    // Counted as sent: a line break is one character.
    const std::wstring text = ControlText(Text);
    wchar_t count[32];
    std::swprintf(count, 32, L"знаков: %zu", text.size() - std::count(text.begin(), text.end(), L'\r'));
    SetWindowTextW(Control(Count), count);
}

bool ComposeWindow::Send() {
    const Recipient recipient = ParseRecipient(ControlText(To));
    if (recipient.Number.empty()) {
        platform::MessageBoxW(Window, L"Укажите номер получателя.", Caption, MB_OK | MB_ICONEXCLAMATION);
        SetFocus(Control(To));
        return false;
    }
    // The composer's edit box breaks lines as CR LF; a text message carries plain line feeds.
    std::wstring text;
    for (wchar_t c : ControlText(Text))
        if (c != L'\r') text += c;
    if (text.empty() && platform::MessageBoxW(Window, L"Отправить пустое сообщение?", Caption,
                                              MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    const HRESULT result = platform::SubmitTextMessage(recipient.Number, text);
    if (FAILED(result)) {
        wchar_t problem[128];
        std::swprintf(problem, 128,
                      L"Сообщение не удалось сохранить (ошибка 0x%08lX). Подробности в журнале ошибок.",
                      static_cast<unsigned long>(result));
        platform::MessageBoxW(Window, problem, Caption, MB_OK | MB_ICONERROR);
        return false;
    }
    HandToTransport();
    return true;
}

bool ComposeWindow::OnCommand(int id, int code, HWND) {
    switch (id) {
    case Text:
        if (code == EN_CHANGE) ShowCount();
        return true;
    case SendButton:
    case IDOK:
        if (Send()) DestroyWindow(Window);
        return true;
    case CancelButton:
    case IDCANCEL:
        DestroyWindow(Window);
        return true;
    default:
        return false;
    }
}
