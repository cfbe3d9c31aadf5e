#pragma once
// The status bar along the top of the phone's screen: the foreground window's title, its done button,
// the input panel button, signal, battery and clock. Ctrl+Alt+R turns the screen between portrait and
// landscape.
//
// The phone's screen is the display, or a screen of a given size at the display's top-left corner, so
// that a desktop with room for both orientations (Wine's virtual desktop takes only the display modes
// it lists, and lists few upright ones) can show the screen turned either way without changing its
// own shape. The bar publishes the screen's size in its window properties (platform/PhoneShell.h).
#include "foundation/ScopedHandles.h"
#include "ui/BufferedPaint.h"
#include "ui/WindowBase.h"

#include <windows.h>

class StatusBarWindow : public WindowBase {
public:
    static constexpr int RotateHotKey = 1;

    ~StatusBarWindow() override;

    // Creates the bar across the top of a phone's screen of width × height, or of the whole display
    // when either is 0; null when it cannot.
    HWND CreateBar(int width, int height);

protected:
    void OnDestroy() override;
    void OnTimer(UINT_PTR id) override;
    void OnPaint(HDC dc, const RECT& rcPaint) override;
    bool OnEraseBackground(HDC dc) override;
    bool OnPenUp(int x, int y) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int Height() const;
    void PlaceAtTop();
    void Rotate();
    // True when the display holds a screen of size at its top-left corner: as it is, or once changed to
    // that size, or else to the smallest mode that holds it. False, with a line in the error log, when
    // it takes none of them.
    bool MakeRoomFor(SIZE size, const wchar_t* purpose);
    // Stores the screen's size in the window properties; the screen follows the display from now on
    // when it is the display's size.
    void Publish(SIZE size);
    void Paint(HDC dc, const RECT& client);
    // The done button's area while the foreground window has one, else an empty rectangle.
    RECT DoneButtonRect(const RECT& client) const;

    SIZE screen_ = {};
    bool followDisplay_ = true; // the screen is the whole display and changes with it
    ScopedFont font_;
    bool sipButton_ = true;
    PaintBuffer paintBuffer_;
};
