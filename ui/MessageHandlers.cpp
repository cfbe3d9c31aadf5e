#include "ui/MessageHandlers.h"

#include "platform/PhoneShell.h"
#include "ui/ScreenMetrics.h"

void MessageHandlers::OnSettingChange(WPARAM wParam, LPARAM) {
    if (wParam == platform::SPI_SETSIPINFO) FitToDesktop();
}

void MessageHandlers::OnActivate(WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) != WA_INACTIVE) FitToDesktop();
}

void MessageHandlers::FitToDesktop() {
    HWND window = Handle();
    if (!FitDesktop || !IsWindow(window)) return;
    FitWindowToDesktop(window, SoftKeyBar());
}

void FitWindowToDesktop(HWND window, HWND softKeyBar) {
    platform::SIPINFO sip = {};
    sip.cbSize = sizeof sip;
    if (!platform::SHSipInfo(platform::SPI_GETSIPINFO, 0, &sip, 0)) return;
    int reserve = 0;
    if (!(sip.fdwFlags & platform::SIPF_ON)) {
        RECT bar;
        reserve = softKeyBar && GetWindowRect(softKeyBar, &bar) ? bar.bottom - bar.top : GetTaskbarHeight();
    }
    const RECT& desk = sip.rcVisibleDesktop;
    MoveWindow(window, desk.left, desk.top, desk.right - desk.left, desk.bottom - desk.top - reserve, TRUE);
}

int MessageHandlers::OnCreate(const CREATESTRUCTW&) {
    return 0;
}

void MessageHandlers::OnPaint(HDC, const RECT&) {}

bool MessageHandlers::OnEraseBackground(HDC) {
    return false;
}

bool MessageHandlers::OnCommand(int, int, HWND) {
    return false;
}

void MessageHandlers::OnTimer(UINT_PTR) {}

bool MessageHandlers::OnPenDown(int, int) {
    return false;
}

bool MessageHandlers::OnPenMove(int, int) {
    return false;
}

bool MessageHandlers::OnPenUp(int, int) {
    return false;
}

bool MessageHandlers::OnKeyDown(UINT, LPARAM) {
    return false;
}

bool MessageHandlers::OnKeyUp(UINT, LPARAM) {
    return false;
}

bool MessageHandlers::OnChar(wchar_t, LPARAM) {
    return false;
}

void MessageHandlers::OnSize(int, int) {}

bool MessageHandlers::OnOtherMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

void MessageHandlers::StartTimer(UINT_PTR id, UINT milliseconds) {
    HWND window = Handle();
    if (!window || !SetTimer(window, id, milliseconds, nullptr)) return;
    for (int i = 0; i < timerCount_; ++i)
        if (timers_[i] == id) return;
    if (timerCount_ < MaxTimers) timers_[timerCount_++] = id;
}

bool MessageHandlers::StopTimer(UINT_PTR id) {
    HWND window = Handle();
    const bool stopped = window && KillTimer(window, id);
    for (int i = 0; i < timerCount_; ++i) {
        if (timers_[i] != id) continue;
        timers_[i] = timers_[--timerCount_];
        break;
    }
    return stopped;
}

void MessageHandlers::EndTimersAndCapture() {
    HWND window = Handle();
    for (int i = 0; i < timerCount_; ++i) KillTimer(window, timers_[i]);
    timerCount_ = 0;
    if (window && GetCapture() == window) ReleaseCapture();
}

bool MessageHandlers::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    result = 0;
    switch (message) {
    case WM_CREATE:
        result = OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return true;
    case WM_DESTROY:
        OnDestroy();
        EndTimersAndCapture();
        return true;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        OnPaint(dc, paint.rcPaint);
        EndPaint(Handle(), &paint);
        return true;
    }
    case WM_ERASEBKGND:
        result = 1;
        return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    case WM_LBUTTONDOWN:
        return OnPenDown(x, y);
    case WM_MOUSEMOVE:
        return OnPenMove(x, y);
    case WM_LBUTTONUP:
        return OnPenUp(x, y);
    case WM_KEYDOWN:
        return OnKeyDown(static_cast<UINT>(wParam), lParam);
    case WM_KEYUP:
        return OnKeyUp(static_cast<UINT>(wParam), lParam);
    case WM_CHAR:
        return OnChar(static_cast<wchar_t>(wParam), lParam);
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return false;
    }
    return OnOtherMessage(message, wParam, lParam, result);
}
