#include "picker/KeypadWindow.h"

#include "messaging/HapticFeedback.h"
#include "picker/KeypadLayout.h"
#include "ui/ScreenMetrics.h"
#include "ui/TextDrawing.h"

namespace {

constexpr wchar_t EraseLabel[] = L"<---";

bool Meets(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

int HeightOfA(HDC dc, HFONT font) {
    ScopedSelect select(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, L"A", 1, &size);
    return size.cy;
}

} // namespace

int KeypadKeyAt(int x, int y, int width, int height) {
    const int cellWidth = width / 3, cellHeight = height / 3;
    if (x < 0 || y < 0 || cellWidth <= 0 || cellHeight <= 0) return -1;
    const int column = x / cellWidth, row = y / cellHeight;
    return column < 3 && row < 3 ? row * 3 + column : -1;
}

RECT KeypadKeyCell(int key, int width, int height) {
    const int cellWidth = width / 3, cellHeight = height / 3;
    const int left = key % 3 * cellWidth, top = key / 3 * cellHeight;
    return {left, top, left + cellWidth, top + cellHeight};
}

KeypadWindow::~KeypadWindow() {
    listener = nullptr;
    Destroy();
}

bool KeypadWindow::Create(HWND parent) {
    if (!fontLarge) fontLarge.Reset(CreatePointFont(L"Tahoma", 9, 700));
    if (!fontMedium) fontMedium.Reset(CreatePointFont(L"Tahoma", 8, 600));
    if (!fontSmall) fontSmall.Reset(CreatePointFont(L"Tahoma", 7, 400));
    const KeypadLayout layout = LoadKeypadLayout();
    keyLabels = layout.labels;
    keyExtraLabels.RemoveAll();
    if (layout.hasExtraLabels == 1) keyExtraLabels = layout.extraLabels;
    {
        ScopedWindowDC screen(nullptr);
        largeHeight_ = HeightOfA(screen.Get(), fontLarge.Get());
        labelHeight_ = keyExtraLabels.GetSize() ? HeightOfA(screen.Get(), fontMedium.Get()) : largeHeight_;
    }
    if (Window) return true;
    return WindowBase::Create(L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, parent) != nullptr;
}

int KeypadWindow::KeyAt(int x, int y) const {
    RECT client = {};
    GetClientRect(Window, &client);
    return KeypadKeyAt(x, y, client.right, client.bottom);
}

RECT KeypadWindow::CellOf(int key) const {
    RECT client = {};
    GetClientRect(Window, &client);
    return KeypadKeyCell(key, client.right, client.bottom);
}

void KeypadWindow::Feedback() const {
    if (feedbackOn) PlayFeedback(feedbackDuration);
}

void KeypadWindow::SetDigits(const WString& next) {
    if (next == digits) return;
    digits = next;
    if (listener) listener->OnDigitsChanged(digits);
}

void KeypadWindow::PressKey(int key) {
    if (key < 0 || key >= KeyCount) return;
    Feedback();
    if (key == EraseKey) {
        if (!digits.IsEmpty()) SetDigits(digits.Left(digits.GetLength() - 1));
        return;
    }
    WString next = digits;
    next += static_cast<wchar_t>(L'1' + key);
    SetDigits(next);
}

void KeypadWindow::ShowPressed(bool shown) {
    if (pressedKey < 0 || pressedShown == static_cast<int>(shown)) return;
    pressedShown = shown;
    const RECT cell = CellOf(pressedKey);
    InvalidateRect(Window, &cell, FALSE);
    UpdateWindow(Window);
}

void KeypadWindow::StopEraseTimer() {
    StopTimer(EraseAllTimer);
    MSG message;
    while (Window && PeekMessageW(&message, Window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
}

bool KeypadWindow::OnPenDown(int x, int y) {
    const int key = KeyAt(x, y);
    if (key < 0) return true;
    SetCapture(Window);
    pressedKey = key;
    ShowPressed(true);
    if (key == EraseKey) StartTimer(EraseAllTimer, EraseAllMs);
    pressPoint = {x, y};
    return true;
}

bool KeypadWindow::OnPenMove(int x, int y) {
    if (GetCapture() != Window || pressedKey < 0) return true;
    const bool over = KeyAt(x, y) == pressedKey;
    ShowPressed(over);
    if (!over) StopEraseTimer();
    return true;
}

bool KeypadWindow::OnPenUp(int x, int y) {
    StopEraseTimer();
    if (GetCapture() != Window) return true;
    ReleaseCapture();
    if (pressedKey < 0) return true;
    ShowPressed(false);
    const int key = pressedKey;
    pressedKey = -1;
    if (KeyAt(x, y) == key) PressKey(key);
    return true;
}

void KeypadWindow::OnTimer(UINT_PTR id) {
    if (id != EraseAllTimer) return;
    StopEraseTimer();
    if (pressedKey < 0) return;
    if (GetCapture() == Window) ReleaseCapture();
    ShowPressed(false);
    pressedKey = -1;
    Feedback();
    SetDigits(WString());
}

bool KeypadWindow::OnKeyDown(UINT key, LPARAM) {
    // The phone's keys 1 to 9; on a desktop keyboard also the number pad's, and backspace erases.
    if (key >= '1' && key <= '9')
        PressKey(static_cast<int>(key - '1'));
    else if (key >= VK_NUMPAD1 && key <= VK_NUMPAD9)
        PressKey(static_cast<int>(key - VK_NUMPAD1));
    else if (key == VK_BACK)
        PressKey(EraseKey);
    else
        return false;
    return true;
}

bool KeypadWindow::OnOtherMessage(UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message != WM_CANCELMODE) return false;
    if (GetCapture() == Window) ReleaseCapture();
    StopEraseTimer();
    ShowPressed(false);
    pressedKey = -1;
    return true;
}

bool KeypadWindow::OnEraseBackground(HDC) {
    return true;
}

void KeypadWindow::DrawCentred(HDC dc, const WString& text, HFONT font, const RECT& face, int top) const {
    ScopedSelect select(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, text.GetLength(), &size);
    const int left = face.left + (face.right - face.left - size.cx) / 2;
    ExtTextOutW(dc, left, top, ETO_CLIPPED, &face, text, text.GetLength(), nullptr);
}

void KeypadWindow::DrawKey(HDC dc, int key, const RECT& cell) {
    const int gap = ScalePx(1, ScreenMetrics.DpiX ? ScreenMetrics.DpiX : 96);
    const RECT face = {cell.left, cell.top, cell.right - gap, cell.bottom - gap};
    const bool pressed = key == pressedKey && pressedShown;
    ScopedBrush brush(CreateSolidBrush(pressed ? pressedKeyColour : keyColour));
    FillRect(dc, &face, brush.Get());
    SetTextColor(dc, pressed ? pressedLabelColour : labelColour);
    const int faceHeight = face.bottom - face.top;
    if (key == EraseKey) {
        DrawCentred(dc, EraseLabel, fontLarge.Get(), face, face.top + (faceHeight - largeHeight_) / 2);
        return;
    }
    const bool extra = keyExtraLabels.GetSize() > 0;
    const int top = face.top + (faceHeight - (extra ? 2 : 1) * labelHeight_) / 2;
    if (key - 1 >= keyLabels.GetSize()) return;
    DrawCentred(dc, keyLabels[key - 1], extra ? fontMedium.Get() : fontLarge.Get(), face, top);
    if (!extra || key - 1 >= keyExtraLabels.GetSize()) return;
    if (!pressed) SetTextColor(dc, extraLabelColour);
    DrawCentred(dc, keyExtraLabels[key - 1], fontSmall.Get(), face, top + labelHeight_);
}

void KeypadWindow::OnPaint(HDC dc, const RECT& rcPaint) {
    paint_.Paint(Window, dc, rcPaint, [&](HDC memory, const RECT& client) {
        SetBkMode(memory, TRANSPARENT);
        ScopedBrush grid(CreateSolidBrush(gridColour));
        FillRect(memory, &client, grid.Get());
        for (int key = 0; key < KeyCount; ++key) {
            const RECT cell = KeypadKeyCell(key, client.right, client.bottom);
            if (Meets(cell, rcPaint)) DrawKey(memory, key, cell);
        }
    });
}
