#pragma once
// Process-wide screen facts taken once at start-up, and the pixel scaling rule built on them.
#include <windows.h>

struct ScreenMetricsRecord {
    int HighDpi; // 1 when either logical resolution is above 131 dpi
    int DpiY;
    int DpiX; // non-zero once the record is filled
};

extern ScreenMetricsRecord ScreenMetrics;

// The whole screen's device context, held for the life of the message loop.
extern HDC ScreenDC;

// The executable's own module: window classes, dialogs, menus and strings come from it.
HINSTANCE ModuleInstance();

// n pixels at 96 dpi scaled to dpi, rounded half up.
constexpr int ScalePx(int n, int dpi) {
    return (n * dpi + 48) / 96;
}

// Fills ScreenMetrics from dc, once.
void ReadScreenMetrics(HDC dc);

// Height of the platform's status bar along the top of the screen ("HHTaskBar"), or 26 pixels at
// 96 dpi scaled to the screen when there is none. Cached once non-zero.
int GetTaskbarHeight();
