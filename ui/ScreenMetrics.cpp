#include "ui/ScreenMetrics.h"

ScreenMetricsRecord ScreenMetrics = {};
HDC ScreenDC = nullptr;

namespace {
HINSTANCE moduleInstance = nullptr;
int taskbarHeight = 0;
} // namespace

HINSTANCE ModuleInstance() {
    if (!moduleInstance) moduleInstance = GetModuleHandleW(nullptr);
    return moduleInstance;
}

void ReadScreenMetrics(HDC dc) {
    if (ScreenMetrics.DpiX) return;
    ScreenMetrics.DpiX = GetDeviceCaps(dc, LOGPIXELSX);
    ScreenMetrics.DpiY = GetDeviceCaps(dc, LOGPIXELSY);
    ScreenMetrics.HighDpi = ScreenMetrics.DpiX > 131 || ScreenMetrics.DpiY > 131;
}

int GetTaskbarHeight() {
    if (taskbarHeight) return taskbarHeight;
    if (HWND taskbar = FindWindowW(L"HHTaskBar", nullptr)) {
        RECT rect;
        if (GetWindowRect(taskbar, &rect)) taskbarHeight = rect.bottom - rect.top;
    }
    if (!taskbarHeight) {
        HDC dc = GetDC(nullptr);
        taskbarHeight = 26 * GetDeviceCaps(dc, LOGPIXELSY) / 96;
        ReleaseDC(nullptr, dc);
    }
    return taskbarHeight;
}
