// Entry point: one instance, screen metrics, skin, the main window and its message loop.
#include "app/DesktopSetup.h"
#include "foundation/DataFiles.h"
#include "foundation/InternalFault.h"
#include "platform/MainWindowMessages.h"
#include "platform/ModalHost.h"
#include "platform/Windowing.h"
#include "mainscreen/MainWindow.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

#include <commctrl.h>

#include <cwchar>
#include <string>

namespace {

// The folder "DialvaneSkin" beside the executable, or empty when the executable's path is unknown.
std::wstring SkinFolderBesideExecutable() {
    const std::wstring folder = ExecutableFolder();
    return folder.empty() ? folder : folder + L"DialvaneSkin\\";
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    // A second start hands over to the first before it loads anything.
    if (HWND running = FindWindowW(MainWindowClassName, nullptr)) {
        SetWindowLongW(running, GWL_STYLE, GetWindowLongW(running, GWL_STYLE) & ~MainWindow::HiddenMarker);
        platform::SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<UINT_PTR>(running) | 1));
        return 1;
    }

    SetUpDesktop();
    MainWindow mainWindow;
    SetInternalFaultBox(platform::MessageBoxW);
    InitCommonControls();
    ScreenDC = GetDC(nullptr);
    ReadScreenMetrics(ScreenDC);

    const std::wstring skinFolder = SkinFolderBesideExecutable();
    if (!SkinLibrary.LoadResourceLibrary(L"DialvaneRes.dll", L"DialvaneResVga.dll", skinFolder.c_str())) {
        platform::MessageBoxW(nullptr, L"Failed to load skin !", L"Error", MB_OK);
        return 1;
    }

    const int preload = commandLine && wcscmp(commandLine, L"pre") == 0;
    if (!mainWindow.Initialise(preload)) return 1;

    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    ReleaseDC(nullptr, ScreenDC);
    ScreenDC = nullptr;
    return static_cast<int>(message.wParam);
}
