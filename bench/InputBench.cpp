// Figures for the main screen's input: how long after the press the hold menu appears (the hold timer
// through the real message loop), and how long a tap takes to reach the dialer's call log once the
// dialer runs. Usage: input_bench   (tools/bench.sh runs it)
#include "bench/BenchTiming.h"
#include "foundation/DataFiles.h"
#include "mainscreen/MainWindow.h"
#include "platform/ModalHost.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

constexpr wchar_t SettingsKey[] = L"Software\\Orvanix\\PIM\\Settings";

void SetSetting(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey, name, REG_DWORD, &value, sizeof value);
}

LONGLONG FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Dispatches the thread's messages until done() holds or timeoutMs pass.
template <class Done> void PumpUntil(Done done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < timeoutMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
}

} // namespace

int wmain() {
    ScreenDC = GetDC(nullptr);
    ReadScreenMetrics(ScreenDC);
    const std::wstring skin = ExecutableFolder() + L"DialvaneSkin";
    SkinLibrary.LoadResourceLibrary(L"DialvaneRes.dll", L"DialvaneResVga.dll", skin.c_str());
    SetSetting(L"BtnFeedback", 0);
    // The program ends instead of waiting for the dialer to come to the front after each call.
    SetSetting(L"ModPreload", 0);

    MainWindow main;
    main.Create(L"bench", WS_POPUP | WS_VISIBLE, 0, 480, 588, nullptr);
    LoadSkin(main.Skin);
    main.Panel.CreatePanel(main.Window);
    main.SetButtonSize(1);
    main.LayOut();
    SpeedDialButton button;
    button.Index = 0;
    button.Phone = L"+7 900 000-00-01";
    button.Display = L"Bench";
    main.Model.SetAtPosition(0, button);
    const RECT cell = main.Cells[0].Rect;
    const LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);

    double opened = 0;
    platform::SetPopupMenuScript([&](const platform::PopupMenuRecord&) {
        opened = Now();
        return 0u;
    });
    std::vector<double> holds;
    for (int i = 0; i < 5; ++i) {
        opened = 0;
        const double pressed = Now();
        PostMessageW(main.Window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PumpUntil([&] { return opened != 0; }, 2000);
        if (opened) holds.push_back((opened - pressed) * 1e3);
        SendMessageW(main.Window, WM_LBUTTONUP, 0, at);
    }
    std::printf("hold to context menu: median %.0f ms over %zu holds (target 500 +- 50)\n", Median(holds),
                holds.size());

    // The first call starts the dialer; the figures come from the calls after it.
    const std::wstring calls = DataFilePath(L"calls.log");
    std::vector<double> taps;
    for (int i = 0; i < 6; ++i) {
        const LONGLONG before = FileSize(calls);
        const double tapped = Now();
        SendMessageW(main.Window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(main.Window, WM_LBUTTONUP, 0, at);
        while (FileSize(calls) == before && Now() - tapped < 10) Sleep(1);
        if (i > 0) taps.push_back((Now() - tapped) * 1e3);
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    std::printf("tap to the dialer's call record, dialer running: median %.1f ms (target <= 300)\n",
                Median(taps));
    return 0;
}
