#pragma once
// The status bar along the top of the screen: the foreground window's title, its done button, the
// input panel button, signal, battery and clock. Ctrl+Alt+R turns the screen between portrait and
// landscape.
#include "foundation/ScopedHandles.h"
#include "ui/BufferedPaint.h"
#include "ui/WindowBase.h"

#include <windows.h>

class StatusBarWindow : public WindowBase {
public:
    static constexpr int RotateHotKey = 1;

    ~StatusBarWindow() override;

    // Creates the bar across the top of the screen; null when it cannot.
    HWND CreateBar();

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
    void Paint(HDC dc, const RECT& client);
    // The done button's area while the foreground window has one, else an empty rectangle.
    RECT DoneButtonRect(const RECT& client) const;

    ScopedFont font_;
    bool sipButton_ = true;
    PaintBuffer paintBuffer_;
};
