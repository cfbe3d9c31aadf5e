#pragma once
// The application object and its only top-level window: the speed-dial screen.
#include "mainscreen/BottomPanel.h"
#include "mainscreen/GridLayout.h"
#include "model/SpeedDialModel.h"
#include "phonenumbers/PhoneTemplates.h"
#include "ui/WindowBase.h"
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
    // WM_SETTINGCHANGE's wParam when the screen has been rotated.
    static constexpr WPARAM RotationSetting = 0x3002;

    // Chooses big (non-zero) or small buttons: loads their images, sizes the cells and, when the size
    // changed, drops every photo so that it is fetched again at the new size.
    void SetButtonSize(int big);
    // Places the panel, fits the grid into what is left and keeps the focused button in view.
    void LayOut();
    // Enables Back and Forward for the page.
    void UpdatePageButtons();
    // The absolute cell number of cell c of the page, or -1.
    int AbsoluteCell(int c) const { return ::AbsoluteCell(c, Page, CellsPerPage); }
    int PageCount() const { return CellsPerPage ? TotalCells / CellsPerPage : 0; }

    // Draws the page into dc, a client-sized off-screen bitmap; cells outside clip are left out.
    void Paint(HDC dc, const RECT& client, const RECT& clip);
    // Marks cell c of the page pressed or not and repaints it at once.
    void SetCellPressed(int c, int state);
    // Moves the focus frame to cell c, repainting the old and the new cell at once.
    void SetFocusCell(int c);

    SpeedDialModel Model;
    Cell Cells[MaxCellsPerPage];
    enum { BtnText, BtnAdd, PhotoFrame, ActiveFrame };
    HBITMAP CellImages[4] = {}; // of the current button size
    SkinValues Skin;            // colours and fonts of "skin.ini"; the fonts are owned here
    HBITMAP NumberFrame = nullptr;
    HBITMAP ListImages[3] = {}; // unselected row, selected row, empty area: lent to the list dialogs
    HBITMAP ScrollImage = nullptr;
    int CellWidth = 0, CellHeight = 0;
    int PressedCell = -1;     // cell under the pen
    int FocusCell = 0;        // focused cell of the page
    HWND MenuBar = nullptr;   // the invisible soft-key bar; its keys turn the pages
    LRESULT TalkKeyState = 0; // what the bar answered when the Talk key was taken over
    PhoneTemplateSet Templates;
    BottomPanel Panel;
    int Columns = 0, Rows = 0, CellsPerPage = 0, Page = 0, TotalCells = 0;
    int BigButtons = -1;   // 1 big, 0 small, -1 not chosen yet
    int ShowNumbers = 0;   // "DvShowBtn": show each button's dial number
    int ShowPhoneType = 0; // "DvShowType": show the kind of each button's number
    int Preload = 0;       // started with "pre": runs hidden until started again

private:
    void KeepHiddenMarker(const WINDOWPOS& position);
    void CreateSoftKeys();
    void LoadSharedImages();
    // Moves the panel to place (client coordinates) unless it is there already.
    void PlacePanel(const RECT& place);
    // Repaints rect of the window at once.
    void Repaint(const RECT* rect);
    // Draws cell c of the page, keeping labelHeight free below the name for the number's kind; the dial
    // number of its button (-1 for none or an empty cell).
    int DrawCell(HDC dc, HDC source, int c, int labelHeight);
    // Draws one of CellImages over cell c: its left half, or its right half when the cell is pressed.
    void DrawCellImage(HDC dc, HDC source, int image, int c);
    // The photo of button (a copy of the one in the cell) at the model's photo size, fetched into the
    // stored button on first use.
    HBITMAP PhotoOf(int position, const SpeedDialButton& button);
    // The Talk key belongs to the program only on a phone.
    static bool IsPhone();
};
