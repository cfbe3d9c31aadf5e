#include "messaging/SmsTextDialog.h"

#include "foundation/Settings.h"
#include "messaging/MessagingApp.h"
#include "messaging/SendTextMessage.h"
#include "messaging/UpwardTiling.h"
#include "platform/InputPanel.h"
#include "platform/PhoneShell.h"
#include "resources/ResourceIds.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"
#include "ui/TextDrawing.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr COLORREF TitleColour = 0x000000;
constexpr COLORREF NameColour = 0x5D5D5D;
constexpr COLORREF RowColour = 0x000000;
constexpr COLORREF SelectedRowColour = 0xFFFFFF;
constexpr wchar_t FontFace[] = L"Tahoma";
constexpr int TitlePoints = 12;
constexpr int NamePoints = 10;
constexpr int RowPoints = 10;
constexpr int HeaderMargin = 4; // at 96 dpi, each side of the header's text
constexpr int RowMargin = 6;    // at 96 dpi, each side of a row's text
constexpr wchar_t Title[] = L"SMS";
enum RowImage { Unselected, Selected, Void };

int BitmapHeight(HBITMAP bitmap) {
    BITMAP size = {};
    return bitmap && GetObjectW(bitmap, sizeof size, &size) ? size.bmHeight : 0;
}

// Tells the screen that the command is done, so that it closes or hides once it has returned.
void CommandDone(HWND owner) {
    if (owner) PostMessageW(owner, WM_COMMAND, IDOK, 0);
}

} // namespace

SmsTextDialog::SmsTextDialog() {
    TemplateId = IDD_FULLSCREEN;
    // The dialog leaves the soft keys room below it.
    FitDesktop = 1;
}

SmsTextDialog::~SmsTextDialog() {
    if (cache_ && cacheOriginal_) SelectObject(cache_.Get(), cacheOriginal_);
    List.Destroy();
}

INT_PTR SmsTextDialog::Run(HWND owner, const wchar_t* number, const wchar_t* name,
                           const HBITMAP (&rowImages)[3], HBITMAP scrollImage) {
    if (!settings::Read(settings::SmsEnabled)) {
        OpenMessagingApp(number, name);
        CommandDone(owner);
        return Chose;
    }
    ScopedBitmap header(SkinLibrary.LoadBitmap(IDB_SMS_BGR, L"sms_bgr"));
    SmsTextDialog dialog;
    dialog.HeaderImage = header.Get();
    std::copy(std::begin(rowImages), std::end(rowImages), dialog.RowImages);
    dialog.ScrollImage = scrollImage;
    dialog.RecipientNumber = number;
    dialog.RecipientName = name;
    const INT_PTR result = dialog.DoModal(owner);
    if (result != Chose) return result == Cancelled ? Cancelled : -1;
    CommandDone(owner);
    if (!dialog.ChosenText.IsEmpty())
        SendTextMessage(number, dialog.ChosenText);
    else
        OpenMessagingApp(number, name);
    return Chose;
}

void SmsTextDialog::LoadSmsTexts(Array<WString>& texts) {
    texts.RemoveAll();
    for (int i = 1; i <= MaxStockTexts; ++i) {
        wchar_t name[8];
        std::swprintf(name, 8, L"%d", i);
        const WString text = ReadString(settings::SmsTextKey, name);
        if (!text.IsEmpty()) texts.Add(text);
    }
}

void SmsTextDialog::CreateFonts() {
    if (!titleFont_) titleFont_.Reset(CreatePointFont(FontFace, TitlePoints, FW_BOLD));
    if (!nameFont_) nameFont_.Reset(CreatePointFont(FontFace, NamePoints, FW_BOLD));
    if (!rowFont_) rowFont_.Reset(CreatePointFont(FontFace, RowPoints, FW_BOLD));
}

HDC SmsTextDialog::Source(HDC like) {
    if (!source_) source_.Reset(CreateCompatibleDC(like));
    return source_.Get();
}

bool SmsTextDialog::OnInit() {
    SetForegroundWindow(Dialog);
    platform::SHINITDLGINFO init = {platform::SHIDIM_FLAGS, Dialog,
                                    platform::SHIDIF_DONEBUTTON | platform::SHIDIF_SIZEDLGFULLSCREEN};
    platform::SHInitDialog(&init);
    platform::SHDoneButton(Dialog, platform::SHDB_SHOW);
    platform::SHSipPreference(Dialog, platform::SIP_FORCEDOWN);
    CreateSoftKeys(IDR_SOFTKEYS_OK_CANCEL);
    FitToDesktop();

    ChosenText.Empty();
    CreateFonts();
    CopyOwnerCaption();
    HeaderHeight = BitmapHeight(HeaderImage);

    List.selection = 0;
    List.scrollPos = 0;
    List.owner = this;
    if (!List.Window) List.Create(Dialog, ScrollImage);
    List.fillHeight = 1;
    List.hideOnDeactivate = 0;
    const int itemHeight = 5 * TextHeight(rowFont_.Get()) / 2;
    if (itemHeight != List.itemHeight) {
        List.itemHeight = itemHeight;
        if (List.Window) {
            List.Relayout(true);
            UpdateWindow(List.Window);
        }
    }

    // Row 0 asks for a new message; the stock texts follow it.
    Array<WString> stock;
    LoadSmsTexts(stock);
    WString newMessage;
    newMessage.LoadString(IDS_NEW_SMS);
    Texts.RemoveAll();
    Texts.Add(newMessage);
    for (int i = 0; i < stock.GetSize(); ++i) Texts.Add(stock[i]);
    List.SetItemCount(Texts.GetSize());

    RECT client;
    GetClientRect(Dialog, &client);
    List.bounds = {client.right, client.bottom - HeaderHeight, 0, HeaderHeight};
    List.Place();
    ShowWindow(List.Window, SW_SHOW);
    SetFocus(List.Window);
    return true;
}

void SmsTextDialog::OnSize(int width, int height) {
    if (!List.Window) return;
    List.bounds = {width, height - HeaderHeight, 0, HeaderHeight};
    MoveWindow(List.Window, 0, HeaderHeight, width, height - HeaderHeight, FALSE);
}

bool SmsTextDialog::OnEraseBackground(HDC) {
    return true;
}

void SmsTextDialog::OnPaint(HDC dc, const RECT& rcPaint) {
    // Only the header is the dialog's own: the list covers the rest and paints itself.
    RECT header;
    GetClientRect(Dialog, &header);
    header.bottom = std::min<LONG>(header.bottom, HeaderHeight);
    RECT part;
    if (!IntersectRect(&part, &rcPaint, &header)) return;
    paintBuffer_.Paint(Dialog, dc, part,
                       [&](HDC memory, const RECT& client) { PaintHeader(memory, client); });
}

void SmsTextDialog::PaintHeader(HDC dc, const RECT& client) {
    const RECT header = {client.left, client.top, client.right, client.top + HeaderHeight};
    DrawUpwardTiled(dc, Source(dc), HeaderImage, header, UpwardTilingInset(ScreenMetrics.DpiY));

    const int titleHeight = TextHeight(titleFont_.Get());
    const int nameHeight = TextHeight(nameFont_.Get());
    const int margin = ScalePx(HeaderMargin, ScreenMetrics.DpiX);
    RECT text = {header.left + margin, 0, header.right - margin, header.bottom};
    text.top = header.top + (HeaderHeight - nameHeight - titleHeight - header.top) / 2;
    SetBkMode(dc, TRANSPARENT);
    {
        ScopedSelect font(dc, titleFont_.Get());
        SetTextColor(dc, TitleColour);
        DrawTextW(dc, Title, -1, &text, DT_CENTER);
    }
    text.top += titleHeight;
    ScopedSelect font(dc, nameFont_.Get());
    SetTextColor(dc, NameColour);
    WString name = RecipientName.IsEmpty() ? RecipientNumber : RecipientName;
    FitTextWithEllipsis(name, text.right - text.left, dc);
    DrawTextW(dc, name, -1, &text, DT_CENTER | DT_NOPREFIX);
}

void SmsTextDialog::BuildRowCache(HDC dc, int width, int height) {
    if (!cache_) cache_.Reset(CreateCompatibleDC(dc));
    if (!cache_) return;
    if (cacheOriginal_) SelectObject(cache_.Get(), cacheOriginal_);
    cacheOriginal_ = nullptr;
    cacheBitmap_.Reset(CreateCompatibleBitmap(dc, 2 * width, height));
    cacheWidth_ = cacheHeight_ = 0;
    if (!cacheBitmap_) return;
    cacheOriginal_ = SelectObject(cache_.Get(), cacheBitmap_.Get());
    cacheWidth_ = width;
    cacheHeight_ = height;
    const int inset = UpwardTilingInset(ScreenMetrics.DpiY);
    DrawUpwardTiled(cache_.Get(), Source(dc), RowImages[Unselected], {0, 0, width, height}, inset);
    DrawUpwardTiled(cache_.Get(), Source(dc), RowImages[Selected], {width, 0, 2 * width, height}, inset);
}

void SmsTextDialog::DrawItem(HWND, HDC dc, int index, const RECT& rect, int selected) {
    if (index < 0) {
        DrawUpwardTiled(dc, Source(dc), RowImages[Void], rect, UpwardTilingInset(ScreenMetrics.DpiY));
        return;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width > cacheWidth_ || height > cacheHeight_) BuildRowCache(dc, width, height);
    if (cacheWidth_ > 0)
        BitBlt(dc, rect.left, rect.top, width, height, cache_.Get(), selected ? cacheWidth_ : 0, 0, SRCCOPY);
    if (index >= Texts.GetSize()) return;
    const int margin = ScalePx(RowMargin, ScreenMetrics.DpiX);
    RECT text = {rect.left + margin, rect.top, rect.right - margin, rect.bottom};
    ScopedSelect font(dc, rowFont_.Get());
    SetTextColor(dc, selected ? SelectedRowColour : RowColour);
    SetBkMode(dc, TRANSPARENT);
    // Shortened for drawing only: the text chosen stays whole.
    WString shown = Texts[index];
    FitTextWithEllipsis(shown, text.right - text.left, dc);
    DrawTextW(dc, shown, -1, &text, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void SmsTextDialog::Choose() {
    const int selected = List.selection;
    if (selected > 0 && selected < Texts.GetSize())
        ChosenText = Texts[selected];
    else
        ChosenText.Empty();
    EndDialog(Dialog, Chose);
}

void SmsTextDialog::OnItemTapped(HWND, int index, int, POINT) {
    // Taps on the stock texts only select them; the first row chooses at once.
    if (index == 0) Choose();
}

bool SmsTextDialog::OnCommand(int id, int, HWND) {
    if (id == IDOK)
        Choose();
    else if (id == IDCANCEL)
        EndDialog(Dialog, Cancelled);
    return true;
}

bool SmsTextDialog::OnKeyDown(UINT key, LPARAM) {
    if (key != VK_ESCAPE) return false;
    EndDialog(Dialog, Cancelled);
    return true;
}
