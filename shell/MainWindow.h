#pragma once
// The application object and its only top-level window: the speed-dial screen.
#include "model/SpeedDialModel.h"
#include "phonenumbers/PhoneTemplates.h"
#include "shell/WindowBase.h"
#include "skin/Skin.h"

class MainWindow : public WindowBase {
public:
    static constexpr wchar_t WindowClassName[] = L"Orvanix_Dialvane_Wnd_Class";
    static constexpr wchar_t Title[] = L"Orvanix Dialvane";
    // Style bit that marks the window as hidden while it is, so a new start knows to show it.
    static constexpr LONG HiddenMarker = static_cast<LONG>(0x80000000);

    // Connects the process-wide contact store when it is not connected yet.
    MainWindow();
    // Deletes the images the window loaded.
    ~MainWindow() override;

    // Reads the display switches and creates the full-screen window below the status bar, hidden when
    // preload is set. 1 on success (also when the window already exists), 0 on failure.
    int Initialise(int preload);

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Messages other programs post: reload the number templates; the contacts changed (with lParam
    // ContactsChanged); forget the cached vibration lengths.
    static constexpr UINT ReloadTemplatesMessage = 1425;
    static constexpr UINT ContactsChangedMessage = 2024;
    static constexpr LPARAM ContactsChanged = 2;
    static constexpr UINT ForgetVibrationMessage = 2025;

    SpeedDialModel Model;
    SkinValues Skin; // colours and fonts of "skin.ini"; the fonts are owned here
    HBITMAP NumberFrame = nullptr;
    HBITMAP ListImages[3] = {}; // unselected row, selected row, empty area: lent to the list dialogs
    HBITMAP ScrollImage = nullptr;
    HWND MenuBar = nullptr;   // the invisible soft-key bar; its keys turn the pages
    LRESULT TalkKeyState = 0; // what the bar answered when the Talk key was taken over
    PhoneTemplateSet Templates;
    int ShowNumbers = 0;   // "DvShowBtn": show each button's dial number
    int ShowPhoneType = 0; // "DvShowType": show the kind of each button's number
    int Preload = 0;       // started with "pre": runs hidden until started again

private:
    void KeepHiddenMarker(const WINDOWPOS& position);
    void CreateSoftKeys();
    void LoadSharedImages();
    // The Talk key belongs to the program only on a phone.
    static bool IsPhone();
};
