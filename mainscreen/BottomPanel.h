#pragma once
// The strip of four image buttons along the bottom of the main screen (its right edge in landscape):
// Back and Forward turn the pages, Menu opens the main menu, Close hides the program. A button sends
// its command to the parent as WM_COMMAND when released over itself; Menu sends it at once on press.
#include "foundation/WString.h"
#include "ui/BufferedPaint.h"
#include "ui/WindowBase.h"

struct PanelButton {
    int Pressed = 0;
    int Enabled = 1;
    int NormalX = 0, NormalY = 0; // source of each frame in its strip
    int PressedX = 0, PressedY = 0;
    int DisabledX = 0, DisabledY = 0;
    int Width = 0, Height = 0; // frame size
    int CommandId = 0;
    WString Caption;
};

class BottomPanel : public WindowBase {
public:
    static constexpr int Back = 0, Forward = 1, Menu = 2, Close = 3;

    BottomPanel() = default;
    // Deletes both strips; destroys the window while the whole object still handles its messages.
    ~BottomPanel() override;

    // Creates the panel as a child of parent, sets the buttons' commands and captions and cuts the
    // strips. 1 when the panel exists.
    int CreatePanel(HWND parent);
    // Loads the strips of the screen's orientation and cuts them into the buttons' frames.
    void CutStrips();
    // Computes the frames from the strip sizes; in landscape the Menu and Close buttons take the
    // panel's full width.
    void CutFrames(bool landscape);
    // Button i's rectangle in the panel's client area.
    RECT ButtonRect(int i) const;
    RECT ButtonRectIn(const RECT& client, int i) const;
    // Sets Back's or Forward's state and repaints the button at once when it changed.
    void SetEnabled(int i, int enabled);
    void RepaintButton(int i);

    HBITMAP Strip1 = nullptr; // Back/Forward: normal, normal, pressed, pressed, disabled, disabled
    HBITMAP Strip2 = nullptr; // Menu/Close: normal, normal, pressed, pressed
    PanelButton PanelButtons[4];
    int CapturedButton = -1;
    int Strip1Width = 0, Strip1Height = 0, Strip2Width = 0, Strip2Height = 0;
    COLORREF Background = RGB(255, 255, 255);
    HFONT CaptionFont = nullptr; // the skin's, not owned
    bool Landscape = false;      // the orientation the strips were cut for

    // Landscape when the screen is wider than high.
    static bool IsLandscape();

    // Draws the panel into dc, a client-sized off-screen bitmap; buttons outside clip are left out.
    void Paint(HDC dc, const RECT& client, const RECT& clip);

protected:
    void OnPaint(HDC dc, const RECT& rcPaint) override;
    bool OnEraseBackground(HDC dc) override;
    bool OnPenDown(int x, int y) override;
    bool OnPenMove(int x, int y) override;
    bool OnPenUp(int x, int y) override;

private:
    int ButtonAt(int x, int y) const;

    PaintBuffer paintBuffer_;
};
