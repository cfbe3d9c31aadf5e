#include "companions/tmail/MessagingLook.h"

#include "foundation/DataFiles.h"
#include "platform/PhoneShell.h"
#include "platform/SmsGateway.h"
#include "platform/SmsTransport.h"
#include "platform/Windowing.h"
#include "ui/ScreenMetrics.h"

#include <algorithm>
#include <string>

namespace {

int ScreenDpi() {
    ScopedWindowDC screen(nullptr);
    return screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
}

BOOL CALLBACK SetFont(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}

} // namespace

RECT MessagingWindowRect() {
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // Inside the phone's screen, which the device shell may show in a part of the display.
    work.right = std::min<LONG>(work.right, platform::GetSystemMetrics(SM_CXSCREEN));
    work.bottom = std::min<LONG>(work.bottom, platform::GetSystemMetrics(SM_CYSCREEN));
    // Below the phone's status bar when it runs, as the phone's own programs are.
    RECT bar;
    if (HWND statusBar = FindWindowW(platform::TaskBarClass, nullptr);
        statusBar && GetWindowRect(statusBar, &bar))
        work.top = std::max(work.top, bar.bottom);
    const int dpi = ScreenDpi();
    work.right = std::min<LONG>(work.right, work.left + ScalePx(360, dpi));
    work.bottom = std::min<LONG>(work.bottom, work.top + ScalePx(520, dpi));
    return work;
}

HFONT MessagingFont(int points, int weight) {
    return CreateFontW(-MulDiv(points, ScreenDpi(), 72), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       DEFAULT_PITCH, L"Tahoma");
}

int MessagingLineHeight(HWND window, HFONT font) {
    TEXTMETRICW metrics = {};
    ScopedWindowDC dc(window);
    ScopedSelect selected(dc.Get(), font);
    GetTextMetricsW(dc.Get(), &metrics);
    return metrics.tmHeight + metrics.tmExternalLeading;
}

void SetChildFonts(HWND window, HFONT font) {
    EnumChildWindows(window, SetFont, reinterpret_cast<LPARAM>(font));
}

void HandToTransport() {
    if (platform::ReadGatewayCommand().empty()) {
        platform::RunTransportQueue(false);
        return;
    }
    ScopedHandle running(OpenMutexW(SYNCHRONIZE, FALSE, platform::TransportServiceMutexName));
    if (running) return;
    const std::wstring program = ExecutableFolder() + platform::TransportProgram;
    std::wstring commandLine = L"\"" + program + L"\" " + platform::TransportServiceArgument;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
}
