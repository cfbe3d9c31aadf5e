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

    HWND MenuBar = nullptr;   // the invisible soft-key bar; its keys turn the pages
    LRESULT TalkKeyState = 0; // what the bar answered when the Talk key was taken over
    PhoneTemplateSet Templates;
    BottomPanel Panel;
    int Preload = 0; // started with "pre": runs hidden until started again

protected:
    int OnCreate(const CREATESTRUCTW& create) override;
    void OnDestroy() override;
    void OnPaint(HDC dc, const RECT& rcPaint) override;
    bool OnEraseBackground(HDC dc) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void KeepHiddenMarker(const WINDOWPOS& position);
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
