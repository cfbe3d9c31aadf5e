#pragma once
// The on-screen phone keypad of the contact picker: a 3 × 3 grid whose top-left key erases and whose
// other keys type the digits 2 to 9 under the letters of the keypad layout. Taps and the hardware keys
// 1 to 9 build a digit string; every change goes to the listener. Holding the erase key clears it all.
#include "foundation/Array.h"
#include "foundation/ScopedHandles.h"
#include "foundation/WString.h"
#include "picker/KeypadListener.h"
#include "ui/BufferedPaint.h"
#include "ui/WindowBase.h"

#include <windows.h>

// The key (0 erase, 1..8 the digits 2..9) at client point x, y of a keypad width × height; -1 for none.
int KeypadKeyAt(int x, int y, int width, int height);
// The cell of key in a keypad width × height.
RECT KeypadKeyCell(int key, int width, int height);

class KeypadWindow : public WindowBase {
public:
    // Holding the erase key this long clears the whole string.
    static constexpr UINT_PTR EraseAllTimer = 1;
    static constexpr UINT EraseAllMs = 600;
    static constexpr int EraseKey = 0;
    static constexpr int KeyCount = 9;

    KeypadWindow() = default;
    ~KeypadWindow() override;

    // Creates the visible child window in parent, its fonts once, and loads the keypad layout.
    bool Create(HWND parent);
    // A tap on key (0 erases the last digit, 1..8 type "2".."9"), with feedback when it is on.
    void PressKey(int key);

    KeypadListener* listener = nullptr;
    Array<WString> keyLabels;
    Array<WString> keyExtraLabels; // empty unless the layout has extra labels
    POINT pressPoint = {};
    int pressedKey = -1;
    int pressedShown = 0;
    WString digits;
    COLORREF keyColour = RGB(44, 64, 75);
    COLORREF pressedKeyColour = RGB(37, 114, 255);
    COLORREF gridColour = RGB(60, 87, 102);
    COLORREF labelColour = RGB(255, 255, 255);
    COLORREF extraLabelColour = RGB(244, 208, 0);
    COLORREF pressedLabelColour = RGB(255, 255, 255);
    ScopedFont fontLarge, fontMedium, fontSmall;
    int feedbackOn = 0;
    int feedbackDuration = 1; // ms handed to the feedback service; the picker gives 50

protected:
    void OnPaint(HDC dc, const RECT& rcPaint) override;
    bool OnEraseBackground(HDC dc) override;
    void OnTimer(UINT_PTR id) override;
    bool OnPenDown(int x, int y) override;
    bool OnPenMove(int x, int y) override;
    bool OnPenUp(int x, int y) override;
    bool OnKeyDown(UINT key, LPARAM flags) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int KeyAt(int x, int y) const;
    RECT CellOf(int key) const;
    // Draws the pressed key pressed or not, at once, when that changes.
    void ShowPressed(bool shown);
    void StopEraseTimer();
    void Feedback() const;
    void SetDigits(const WString& next);
    void DrawKey(HDC dc, int key, const RECT& cell);
    void DrawCentred(HDC dc, const WString& text, HFONT font, const RECT& face, int top) const;

    PaintBuffer paint_;
    int largeHeight_ = 0; // of "A" in fontLarge
    int labelHeight_ = 0; // in the labels' font
};
