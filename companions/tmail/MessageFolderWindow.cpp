#include "companions/tmail/MessageFolderWindow.h"

#include "companions/tmail/MessagingLook.h"
#include "platform/MessageStoreFolders.h"
#include "platform/SmsTransport.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr UINT RefreshMs = 1000;
const wchar_t* const FolderNames[] = {platform::OutboxFolder, platform::SentItemsFolder};
const wchar_t* const FolderTitles[] = {L"Исходящие", L"Отправленные"};

HWND MakeControl(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                 DWORD exStyle = 0) {
    return CreateWindowExW(exStyle, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

void AddColumn(HWND list, int index, const wchar_t* title) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(title);
    column.iSubItem = index;
    ListView_InsertColumn(list, index, &column);
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
    ListView_SetItemText(list, row, column, const_cast<wchar_t*>(text.c_str()));
}

// The text shown for a row: an unreadable file says so, the rest show their text on one line.
std::wstring RowText(const MessageRow& row) {
    if (row.Unreadable) return L"(файл не читается: " + row.Text + L")";
    std::wstring line = row.Text;
    std::replace_if(
        line.begin(), line.end(), [](wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\t'; }, L' ');
    return line;
}

std::wstring PreviewOf(const MessageRow& row) {
    if (row.Unreadable) return L"Файл " + row.Path + L" не читается: " + row.Note + L".";
    std::wstring text = L"Кому: " + row.Recipients + L"\r\n";
    if (row.Time) text += L"Время: " + FormatLocalTime(row.Time) + L"\r\n";
    if (*StateText(row.State)) text += std::wstring(L"Состояние: ") + StateText(row.State) + L"\r\n";
    if (!row.Note.empty()) text += L"Подробности: " + row.Note + L"\r\n";
    text += L"\r\n";
    // The edit box wants its line breaks as CR LF.
    for (size_t i = 0; i < row.Text.size(); ++i) {
        if (row.Text[i] == L'\n' && (i == 0 || row.Text[i - 1] != L'\r')) text += L'\r';
        text += row.Text[i];
    }
    return text;
}

} // namespace

MessageFolderWindow::~MessageFolderWindow() {
    compose_.reset();
    Destroy();
}

bool MessageFolderWindow::Open(const std::wstring& store, bool endsProgram) {
    store_ = store;
    endsProgram_ = endsProgram;
    RegisterWindowClass(ClassName, GetSysColorBrush(COLOR_BTNFACE));
    const RECT place = MessagingWindowRect();
    if (!Create(L"Сообщения", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, place.top, place.right - place.left,
                place.bottom - place.top, nullptr))
        return false;
    SetWindowPos(Window, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(Window, SW_SHOW);
    return true;
}

int MessageFolderWindow::OnCreate(const CREATESTRUCTW&) {
    SetWindowLongPtrW(Window, GWL_EXSTYLE, GetWindowLongPtrW(Window, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    font_.Reset(MessagingFont(9, FW_NORMAL));
    HWND tabs = MakeControl(Window, WC_TABCONTROLW, L"", WS_TABSTOP, Tabs);
    for (int i = 0; i < 2; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(FolderTitles[i]);
        TabCtrl_InsertItem(tabs, i, &item);
    }
    HWND list = MakeControl(Window, WC_LISTVIEWW, L"",
                            WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                            List, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    AddColumn(list, 0, L"Кому");
    AddColumn(list, 1, L"Текст");
    AddColumn(list, 2, L"");
    MakeControl(Window, L"EDIT", L"", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                Preview, WS_EX_CLIENTEDGE);
    MakeControl(Window, L"BUTTON", L"Новое", WS_TABSTOP | BS_PUSHBUTTON, NewButton);
    MakeControl(Window, L"BUTTON", L"Повторить", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, SendAgainButton);
    MakeControl(Window, L"BUTTON", L"Закрыть", WS_TABSTOP | BS_PUSHBUTTON, CloseButton);
    SetChildFonts(Window, font_.Get());
    StartTimer(RefreshTimer, RefreshMs);
    ShowFolder(0);
    return 0;
}

void MessageFolderWindow::OnDestroy() {
    if (endsProgram_) PostQuitMessage(0);
}

void MessageFolderWindow::OnSize(int width, int height) {
    const int line = MessagingLineHeight(Window, font_.Get());
    const int margin = line / 2;
    const int button = line * 2;
    const int tabs = line + line / 2;
    const int inner = width - 2 * margin;
    MoveWindow(Control(Tabs), margin, margin, inner, tabs, TRUE);
    const int top = margin + tabs;
    const int bottom = height - margin - button;
    const int listHeight = std::max(0, (bottom - top - margin) / 2);
    MoveWindow(Control(List), margin, top, inner, listHeight, TRUE);
    MoveWindow(Control(Preview), margin, top + listHeight + margin / 2, inner,
               std::max(0, bottom - margin - top - listHeight - margin / 2), TRUE);
    const int third = (inner - 2 * margin) / 3;
    MoveWindow(Control(NewButton), margin, bottom, third, button, TRUE);
    MoveWindow(Control(SendAgainButton), margin + third + margin, bottom, third, button, TRUE);
    MoveWindow(Control(CloseButton), margin + 2 * (third + margin), bottom, inner - 2 * (third + margin),
               button, TRUE);
    HWND list = Control(List);
    const int columns = std::max(0, inner - GetSystemMetrics(SM_CXVSCROLL) - 4);
    ListView_SetColumnWidth(list, 0, columns * 36 / 100);
    ListView_SetColumnWidth(list, 1, columns * 36 / 100);
    ListView_SetColumnWidth(list, 2, columns - columns * 72 / 100);
}

std::wstring MessageFolderWindow::FolderPath() const {
    return platform::MessageStoreRoot() + L"\\" + store_ + L"\\" + FolderNames[folder_];
}

void MessageFolderWindow::ShowFolder(int folder) {
    folder_ = std::clamp(folder, 0, 1);
    TabCtrl_SetCurSel(Control(Tabs), folder_);
    // The Outbox tells what became of each message; Sent Items when it went.
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<wchar_t*>(folder_ == 0 ? L"Состояние" : L"Время");
    ListView_SetColumn(Control(List), 2, &column);
    ListView_DeleteAllItems(Control(List));
    Refresh(true);
    // A folder opens on its newest message.
    if (!Rows.empty())
        ListView_SetItemState(Control(List), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void MessageFolderWindow::Refresh(bool force) {
    const std::wstring path = FolderPath();
    std::wstring signature = FolderSignature(path);
    if (!force && signature == signature_) return;
    signature_ = std::move(signature);
    const int selected = Selected();
    const std::wstring keep = selected >= 0 ? Rows[selected].Path : std::wstring();
    Rows = ReadMessageRows(path);
    HWND list = Control(List);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    for (size_t i = 0; i < Rows.size(); ++i) {
        const MessageRow& row = Rows[i];
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(row.Recipients.c_str());
        ListView_InsertItem(list, &item);
        SetCell(list, item.iItem, 1, RowText(row));
        SetCell(list, item.iItem, 2,
                row.Unreadable ? L"повреждено"
                : folder_ == 0 ? StateText(row.State)
                               : FormatShortTime(row.Time));
        if (row.Path == keep)
            ListView_SetItemState(list, item.iItem, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    wchar_t title[64];
    swprintf(title, 64, L"Сообщения — %ls (%zu)", FolderTitles[folder_], Rows.size());
    SetWindowTextW(Window, title);
    ShowSelected();
}

int MessageFolderWindow::Selected() const {
    const int selected = ListView_GetNextItem(Control(List), -1, LVNI_SELECTED);
    return selected >= 0 && selected < static_cast<int>(Rows.size()) ? selected : -1;
}

void MessageFolderWindow::ShowSelected() {
    const int selected = Selected();
    SetWindowTextW(Control(Preview), selected >= 0 ? PreviewOf(Rows[selected]).c_str() : L"");
    EnableWindow(Control(SendAgainButton), selected >= 0 && !Rows[selected].Unreadable &&
                                               Rows[selected].State == platform::TransportState::Failed);
}

bool MessageFolderWindow::OnCommand(int id, int, HWND) {
    const int selected = Selected();
    switch (id) {
    case NewButton:
        compose_ = std::make_unique<ComposeWindow>();
        compose_->Open({}, false);
        return true;
    case SendAgainButton:
        if (selected >= 0 && platform::SendAgain(Rows[selected].Path)) HandToTransport();
        Refresh(true);
        return true;
    case OtherFolder:
        ShowFolder(1 - folder_);
        return true;
    case CloseButton:
    case IDCANCEL:
        DestroyWindow(Window);
        return true;
    default:
        return false;
    }
}

void MessageFolderWindow::OnTimer(UINT_PTR id) {
    if (id == RefreshTimer) Refresh(false);
}

bool MessageFolderWindow::OnOtherMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_NOTIFY) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    result = 0;
    if (header->idFrom == Tabs && header->code == TCN_SELCHANGE) {
        ShowFolder(TabCtrl_GetCurSel(Control(Tabs)));
        return true;
    }
    if (header->idFrom == List && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) ShowSelected();
        return true;
    }
    return false;
}
