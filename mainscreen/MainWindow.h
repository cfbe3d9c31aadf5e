#pragma once
// The application object and its only top-level window: the speed-dial screen. What the page shows and
// how it is drawn is PageView's; the window lays the grid out, puts the page on the screen and answers
// the messages of the platform and of other programs.
#include "mainscreen/BottomPanel.h"
#include "mainscreen/PageView.h"
#include "phonenumbers/PhoneTemplates.h"
#include "ui/BufferedPaint.h"
#include "ui/WindowBase.h"

class MainWindow : public WindowBase, public PageView {
public:
    // Style bit that marks the window as hidden while it is, so a new start knows to show it.
    static constexpr LONG HiddenMarker = static_cast<LONG>(0x80000000);

    // Connects the process-wide contact store when it is not connected yet.
    MainWindow();
    // Destroys the window while the whole object still handles its messages.
    ~MainWindow() override;

    // Reads the display switches and creates the full-screen window below the status bar, hidden when
    // preload is set. 1 on success (also when the window already exists), 0 on failure.
    int Initialise(int preload);

    // Chooses big (non-zero) or small buttons: their images, the cell size and, when the size changed,
    // the photos at the new size.
    void SetButtonSize(int big);
    // Places the panel, fits the grid into what is left and keeps the focused button in view.
    void LayOut();
    // Enables Back and Forward for the page.
    void UpdatePageButtons();

    // Marks cell c of the page pressed or not and repaints it at once.
    void SetCellPressed(int c, int state);
    // Moves the focus frame to cell c, repainting the old and the new cell at once.
    void SetFocusCell(int c);

    // Input: the pen in client coordinates, the keys by virtual key code.
    void PenDown(int x, int y);
    void PenMove(int x, int y);
    void PenUp(int x, int y);
    void KeyDown(UINT key);
    void KeyUp(UINT key);
    // Stops the hold timer and drops any of its messages already queued.
    void StopHoldTimer();
    // What a tap does to cell c of the page: calls its button, or picks a contact for an empty cell.
    void Activate(int c);

    // A window command (WM_COMMAND's wParam and lParam).
    void Command(WPARAM wParam, LPARAM lParam);
    // Calls the button in absolute cell a: its own number, or number when given.
    void Call(int a, const wchar_t* number);
    // Hides the window (resident) or, when forced or "ModPreload" is 0, ends the program.
    void Close(int forced);
    void ViewContact(int a);
    // Lets the user rename the button in absolute cell a; 1 when the dialog was confirmed.
    int Rename(int a);
    // Sends a text message to the button in absolute cell a: a stock text or the messaging program.
    void SendSms(int a);
    // Moves the button of cell c of the page up (1), down (2), left (3) or right (4).
    void Move(int c, int direction);
    void DeleteButton(int c);
    void DeletePage();
    // The popup menus: the context menu of the button in cell c of the page, and the main menu.
    void ShowCellMenu(int c);
    void ShowMainMenu();

    HWND MenuBar = nullptr;   // the invisible soft-key bar; its keys turn the pages
    LRESULT TalkKeyState = 0; // what the bar answered when the Talk key was taken over
    PhoneTemplateSet Templates;
    BottomPanel Panel;
    int Preload = 0;            // started with "pre": runs hidden until started again
    int HoldTimerOn = 0;        // the hold timer runs for a pen press
    int KeyPressPending = 0;    // the action key is down on the focused cell
    int PressX = 0, PressY = 0; // where the press started (the focused cell's centre for a key)

    // The hold timer: a press held this long opens the context menu.
    static constexpr UINT_PTR HoldTimer = 2;
    static constexpr UINT HoldMs = 500;
    // Keys of the phone besides the arrows: the action key (Return acts the same), the Talk key (taken
    // over from the soft-key bar, it arrives as WM_HOTKEY) and the End key.
    static constexpr UINT ActionKey = 0x86;
    // How long a key of the picker's keypad vibrates.
    static constexpr int PickerKeyFeedbackMs = 50;
    static constexpr UINT TalkKey = VK_F3;
    static constexpr UINT EndKey = VK_F4;
    // WM_CLOSE's wParam that ends the program whatever "ModPreload" says.
    static constexpr WPARAM ForcedClose = 100;

protected:
    int OnCreate(const CREATESTRUCTW& create) override;
    void OnDestroy() override;
    void OnPaint(HDC dc, const RECT& rcPaint) override;
    bool OnEraseBackground(HDC dc) override;
    bool OnCommand(int id, int code, HWND from) override;
    void OnTimer(UINT_PTR id) override;
    bool OnPenDown(int x, int y) override;
    bool OnPenMove(int x, int y) override;
    bool OnPenUp(int x, int y) override;
    bool OnKeyDown(UINT key, LPARAM flags) override;
    bool OnKeyUp(UINT key, LPARAM flags) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void KeepHiddenMarker(const WINDOWPOS& position);
    // Cell of the page at the point, or -1.
    int CellAt(int x, int y) const;
    // Index of the stored button in cell c of the page, or -1.
    int ButtonIndexOfCell(int c) const;
    // Back (-1) or Forward (1): turns the page when there is one to turn to.
    void TurnPage(int step);
    // Shows page, focusing cell focus, and repaints.
    void ShowPage(int page, int focus);
    // Acts on what the context menu of absolute cell a returned.
    void CellMenuChoice(int a, UINT choice);
    void MainMenuChoice(UINT choice);
    // The dial-number submenu's choice for absolute cell a.
    void AssignDialNumber(int a, UINT choice);
    void ClearAll();
    // Runs a popup menu at the screen point; the identifier chosen, 0 when dismissed.
    UINT RunMenu(HMENU menu, UINT flags, POINT at);
    void CreateSoftKeys();
    // Moves the panel to place (client coordinates) unless it is there already.
    void PlacePanel(const RECT& place);
    // Repaints rect of the window at once.
    void Repaint(const RECT* rect);
    // Ends the program: gives the Talk key back and posts the quit message.
    void Quit();
    // The Talk key belongs to the program only on a phone.
    static bool IsPhone();

    PaintBuffer paintBuffer_;
};
