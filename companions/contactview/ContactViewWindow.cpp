#include "companions/contactview/ContactViewWindow.h"

#include "contacts/ContactDetails.h"
#include "ui/ImageDecoding.h"

namespace {

constexpr int Width = 360;
constexpr int Height = 520;
constexpr int Margin = 16;

HFONT MakeFont(int height, int weight) {
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
}

std::wstring JoinNames(const ContactDetails& details) {
    std::wstring name;
    for (const WString* part : {&details.First, &details.Middle, &details.Last}) {
        if (part->IsEmpty()) continue;
        if (!name.empty()) name += L' ';
        name += static_cast<const wchar_t*>(*part);
    }
    return name;
}

} // namespace

ContactViewWindow::~ContactViewWindow() {
    Destroy();
}

bool ContactViewWindow::Open(unsigned long oid) {
    ContactStore* store = ContactStore::Instance();
    ContactDetails details;
    if (oid && store && store->Logon() &&
        ReadContact(store, oid, details, ReadNames | ReadPhones | ReadPhoto, FitInside, PhotoSize,
                    PhotoSize)) {
        title_ = JoinNames(details);
        if (title_.empty())
            title_ = static_cast<const wchar_t*>(details.Company);
        else
            company_ = static_cast<const wchar_t*>(details.Company);
        for (int i = 0; i < details.Phones.GetSize(); ++i) {
            const PhoneEntry entry = details.Phones.GetAt(i);
            numbers_.push_back(std::wstring(entry.Label) + L": " + static_cast<const wchar_t*>(entry.Number));
        }
        photo_.Reset(details.Photo);
        details.Photo = nullptr;
    } else {
        title_ = L"Контакт не найден";
    }
    titleFont_.Reset(MakeFont(24, FW_SEMIBOLD));
    textFont_.Reset(MakeFont(17, FW_NORMAL));
    RegisterWindowClass(ViewerClass, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (!Create(title_.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, Width, Height, nullptr)) return false;
    return true;
}

void ContactViewWindow::OnPaint(HDC dc, const RECT& rcPaint) {
    paintBuffer_.Paint(Window, dc, rcPaint, [&](HDC memory, const RECT& client) { Draw(memory, client); });
}

bool ContactViewWindow::OnEraseBackground(HDC) {
    return true;
}

void ContactViewWindow::OnDestroy() {
    PostQuitMessage(0);
}

void ContactViewWindow::Draw(HDC memory, const RECT& client) {
    FillRect(memory, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(memory, TRANSPARENT);

    int y = Margin;
    if (photo_) {
        BITMAP info = {};
        GetObjectW(photo_.Get(), sizeof info, &info);
        HDC source = paintBuffer_.SourceContext(memory);
        ScopedSelect selected(source, photo_.Get());
        BitBlt(memory, (client.right - info.bmWidth) / 2, y, info.bmWidth, info.bmHeight, source, 0, 0,
               SRCCOPY);
        y += info.bmHeight + Margin;
    }
    HGDIOBJ oldFont = SelectObject(memory, titleFont_.Get());
    RECT line = {Margin, y, client.right - Margin, y + 32};
    DrawTextW(memory, title_.c_str(), -1, &line, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    y += 36;
    SelectObject(memory, textFont_.Get());
    SetTextColor(memory, RGB(90, 90, 90));
    if (!company_.empty()) {
        line = {Margin, y, client.right - Margin, y + 24};
        DrawTextW(memory, company_.c_str(), -1, &line, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        y += 28;
    }
    SetTextColor(memory, RGB(0, 0, 0));
    for (const std::wstring& number : numbers_) {
        y += 6;
        line = {Margin, y, client.right - Margin, y + 24};
        DrawTextW(memory, number.c_str(), -1, &line, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
        y += 24;
    }
    SelectObject(memory, oldFont);
}
