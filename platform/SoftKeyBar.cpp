#include "platform/SoftKeyBar.h"

#include "platform/PhoneShell.h"
#include "platform/Windowing.h"

#include <commctrl.h>

#include <iterator>

namespace platform {

namespace {

constexpr UINT_PTR SubclassId = 0x534B4231;
constexpr COLORREF BarColor = RGB(28, 30, 36);
constexpr COLORREF PressedColor = RGB(56, 110, 190);
constexpr COLORREF DividerColor = RGB(70, 74, 84);
constexpr COLORREF TextColor = RGB(240, 242, 246);

// Keyboard hook of the thread, held while the thread has bars.
thread_local HHOOK hook = nullptr;
thread_local int barCount = 0;

// n pixels at 96 dots per inch, at the screen's vertical resolution.
int ScaledY(int n) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return (n * dpi + 48) / 96;
}

} // namespace

HWND SoftKeyBar::CreateFor(HWND parent, HMENU menu, bool hidden) {
    auto* bar = new SoftKeyBar;
    bar->parent_ = parent;
    const int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count && i < 2; ++i) {
        wchar_t text[64] = {};
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 64;
        if (!GetMenuItemInfoW(menu, i, TRUE, &item)) continue;
        bar->keys_[i].Command = item.wID;
        bar->keys_[i].Text = text;
    }
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = StaticWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = SoftKeyBarClass;
    RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, SoftKeyBarClass, L"",
                                    WS_POPUP | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent, nullptr,
                                    GetModuleHandleW(nullptr), bar);
    if (!window) {
        delete bar;
        return nullptr;
    }
    LOGFONTW face = {};
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        face = metrics.lfMessageFont;
    face.lfHeight = -ScaledY(13);
    face.lfWeight = FW_BOLD;
    face.lfQuality = CLEARTYPE_QUALITY;
    bar->font_ = CreateFontIndirectW(&face);
    SetWindowPos(window, nullptr, 0, 0, 1, ScaledY(26), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    bar->FollowParent();
    SetWindowSubclass(parent, ParentSubclass, SubclassId, reinterpret_cast<DWORD_PTR>(bar));
    if (!barCount++) hook = SetWindowsHookExW(WH_KEYBOARD, KeyboardHook, nullptr, GetCurrentThreadId());
    if (!hidden) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

SoftKeyBar::~SoftKeyBar() {
    if (font_) DeleteObject(font_);
}

void SoftKeyBar::FollowParent() {
    RECT bar, parent;
    if (!GetWindowRect(window_, &bar) || !GetWindowRect(parent_, &parent)) return;
    if (bar.right == bar.left && bar.bottom == bar.top) return;
    const int height = bar.bottom - bar.top;
    const int screenBottom = platform::GetSystemMetrics(SM_CYSCREEN);
    const int top = parent.bottom + height <= screenBottom ? parent.bottom : parent.bottom - height;
    SetWindowPos(window_, nullptr, parent.left, top, parent.right - parent.left, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

WORD SoftKeyBar::FlagsOf(UINT key) const {
    for (int i = 0; i < overrideCount_; ++i)
        if (overrides_[i].Key == key) return overrides_[i].Flags;
    return 0;
}

LRESULT SoftKeyBar::OverrideKey(UINT key, LPARAM change) {
    const WORD mask = LOWORD(change), values = HIWORD(change);
    for (int i = 0; i < overrideCount_; ++i) {
        if (overrides_[i].Key != key) continue;
        overrides_[i].Flags = WORD((overrides_[i].Flags & ~mask) | (values & mask));
        return TRUE;
    }
    if (overrideCount_ == int(std::size(overrides_))) return FALSE;
    overrides_[overrideCount_++] = {key, WORD(values & mask)};
    return TRUE;
}

void SoftKeyBar::Press(int key) {
    if (keys_[key].Command)
        PostMessageW(parent_, WM_COMMAND, MAKEWPARAM(keys_[key].Command, 0), LPARAM(window_));
}

bool SoftKeyBar::TakeKey(HWND active, UINT key, bool down, bool repeat) {
    if (key != VK_F1 && key != VK_F2 && key != VK_F3) return false;
    HWND window = active ? SHFindMenuBar(active) : nullptr;
    SoftKeyBar* bar = window ? Of(window) : nullptr;
    if (!bar) return false;
    if (key == VK_F1 || key == VK_F2) {
        if (down && !repeat) bar->Press(key == VK_F1 ? 0 : 1);
        return true;
    }
    const WORD flags = bar->FlagsOf(key);
    if (!(flags & SHMBOF_NOTIFY)) return flags & SHMBOF_NODEFAULT;
    if (down && !repeat) PostMessageW(bar->parent_, WM_HOTKEY, key, MAKELPARAM(0, key));
    return true;
}

LRESULT CALLBACK SoftKeyBar::KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const bool down = !(lParam & 0x80000000), repeat = down && (lParam & 0x40000000);
        if (TakeKey(GetActiveWindow(), UINT(wParam), down, repeat)) return 1;
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

LRESULT CALLBACK SoftKeyBar::ParentSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data) {
    auto* bar = reinterpret_cast<SoftKeyBar*>(data);
    switch (message) {
    case WM_WINDOWPOSCHANGED:
        bar->FollowParent();
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        // Keys sent straight to the window, past the keyboard hook.
        if (TakeKey(window, UINT(wParam), message == WM_KEYDOWN, lParam & 0x40000000)) return 0;
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

SoftKeyBar* SoftKeyBar::Of(HWND window) {
    return reinterpret_cast<SoftKeyBar*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK SoftKeyBar::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* bar = static_cast<SoftKeyBar*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        bar->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bar));
    }
    SoftKeyBar* bar = Of(window);
    if (!bar) return DefWindowProcW(window, message, wParam, lParam);
    if (message != WM_NCDESTROY) return bar->WindowProc(message, wParam, lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete bar;
    return DefWindowProcW(window, message, wParam, lParam);
}

void SoftKeyBar::PaintBuffered() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    RECT client;
    GetClientRect(window_, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        Paint(memory, client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    EndPaint(window_, &paint);
}

void SoftKeyBar::Paint(HDC dc, const RECT& client) {
    HBRUSH background = CreateSolidBrush(BarColor);
    FillRect(dc, &client, background);
    DeleteObject(background);
    const int half = client.right / 2;
    if (pressed_ >= 0) {
        RECT key = {pressed_ ? half : 0, 0, pressed_ ? client.right : half, client.bottom};
        HBRUSH highlight = CreateSolidBrush(PressedColor);
        FillRect(dc, &key, highlight);
        DeleteObject(highlight);
    }
    RECT divider = {half, client.bottom / 4, half + 1, client.bottom - client.bottom / 4};
    HBRUSH line = CreateSolidBrush(DividerColor);
    FillRect(dc, &divider, line);
    DeleteObject(line);
    HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColor);
    for (int i = 0; i < 2; ++i) {
        RECT key = {i ? half : 0, 0, i ? client.right : half, client.bottom};
        DrawTextW(dc, keys_[i].Text.c_str(), -1, &key,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
}

LRESULT SoftKeyBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    switch (message) {
    case SHCMBM_OVERRIDEKEY:
        return OverrideKey(UINT(wParam), lParam);
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN: {
        RECT client;
        GetClientRect(window, &client);
        pressed_ = short(LOWORD(lParam)) >= client.right / 2 ? 1 : 0;
        SetCapture(window);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    case WM_LBUTTONUP: {
        const int key = pressed_;
        if (key < 0) return 0;
        pressed_ = -1;
        ReleaseCapture();
        InvalidateRect(window, nullptr, FALSE);
        RECT client;
        GetClientRect(window, &client);
        const POINT at = {short(LOWORD(lParam)), short(HIWORD(lParam))};
        const int half = client.right / 2;
        RECT keyRect = {key ? half : 0, 0, key ? client.right : half, client.bottom};
        if (PtInRect(&keyRect, at)) Press(key);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressed_ >= 0) {
            pressed_ = -1;
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        PaintBuffered();
        return 0;
    case WM_DESTROY:
        RemoveWindowSubclass(parent_, ParentSubclass, SubclassId);
        if (!--barCount && hook) {
            UnhookWindowsHookEx(hook);
            hook = nullptr;
        }
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace platform
