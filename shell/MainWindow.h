#pragma once
// The application object and its only top-level window: the speed-dial screen.
#include "shell/WindowBase.h"

class MainWindow : public WindowBase {
public:
    static constexpr wchar_t WindowClassName[] = L"Orvanix_Dialvane_Wnd_Class";
    static constexpr wchar_t Title[] = L"Orvanix Dialvane";
    // Style bit that marks the window as hidden while it is, so a new start knows to show it.
    static constexpr LONG HiddenMarker = static_cast<LONG>(0x80000000);

    MainWindow() = default;
    ~MainWindow() override = default;

    // Reads the display switches and creates the full-screen window below the status bar, hidden when
    // preload is set. 1 on success (also when the window already exists), 0 on failure.
    int Initialise(int preload);

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    int ShowNumbers = 0;   // "DvShowBtn": show each button's dial number
    int ShowPhoneType = 0; // "DvShowType": show the kind of each button's number
    int Preload = 0;       // started with "pre": runs hidden until started again

private:
    void KeepHiddenMarker(const WINDOWPOS& position);
};
