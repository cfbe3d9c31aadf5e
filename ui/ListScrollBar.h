#pragma once
// The kinetic list's scroll bar, drawn inside the list's own window: without an image a classic bar
// with arrows, track and thumb in a column at the right; with an image a slim indicator drawn over
// the rows, shown while the list is dragged and faded out after. Its presses scroll the list through
// WM_VSCROLL messages to the list window; its timers run on that window.
#include "foundation/ScopedHandles.h"
#include "ui/BufferedPaint.h"
#include "ui/KineticPhysics.h"

#include <windows.h>

// Timers of the bar on the list window: the classic parts' repeat and the indicator's fade.
inline constexpr UINT_PTR ScrollRepeatTimer = 110;
inline constexpr UINT ScrollRepeatMs = 100;
inline constexpr UINT_PTR IndicatorFadeTimer = 111;
inline constexpr UINT IndicatorFadeMs = 60;

// WM_VSCROLL commands of the bar beyond the SB_ ones: move by the signed high word of wParam, and
// go to the position in lParam (also in the high word of wParam).
inline constexpr WORD ScrollByCommand = 0x3ED;
inline constexpr WORD ScrollToCommand = 0x3EE;

class ListScrollBar {
public:
    enum Part { None = -1, UpArrow = 0, DownArrow = 1, Thumb = 2, TrackAbove = 3, TrackBelow = 4 };

    // Ties the bar to the list window; image null for the classic bar. The image stays its owner's.
    void Setup(HWND list, HBITMAP image, const KineticMetrics& metrics);

    bool Overlay() const { return image_ != nullptr; }
    // The range exceeds the page: there is something to scroll.
    bool Visible() const { return visible_; }
    // The width the rows leave to the bar: the classic bar's column while it is visible, else 0.
    int ColumnWidth() const { return !Overlay() && visible_ ? barWidth_ : 0; }
    const ScrollRange& Range() const { return range_; }
    void SetRange(const ScrollRange& range);
    void SetPosition(int position) { range_.position = position; }

    // A press at client point x, y: true when the bar takes it (it then holds the capture). A classic
    // arrow or track press scrolls at once; Repeating() then asks for the repeat timer.
    bool Press(int x, int y);
    // The pen moving while the bar holds a part: true when the bar took the move.
    bool Drag(int x, int y);
    // The pen coming up: true when a part was pressed (it is let go).
    bool Release();
    // The repeat timer fired: scrolls again while the pen stays on the pressed arrow or track part.
    void Repeat();
    bool Repeating() const { return pressed_ == UpArrow || pressed_ == DownArrow || pressed_ >= TrackAbove; }
    bool ThumbHeld() const { return pressed_ == Thumb; }
    Part Pressed() const { return pressed_; }

    // The overlay indicator: opaque from Show, fading after Hide (FadeTick every IndicatorFadeMs until
    // it returns false).
    void Show();
    // True when a fade has started.
    bool Hide();
    bool FadeTick();
    bool Shown() const { return shown_; }
    int FadeStep() const { return fadeStep_; }

    // The column at the right of the client area the bar occupies (the overlay's drawn strip).
    RECT BarRect(const RECT& client) const;
    // The thumb's place in client coordinates.
    RECT ThumbRect(const RECT& client) const;

    // The classic bar straight onto the window's dc, clipping each part out once drawn.
    void PaintClassic(HDC dc, const RECT& client);
    // The overlay indicator onto the list's off-screen buffer, through a source context for the image.
    void PaintOverlay(HDC dc, HDC source, const RECT& client);

private:
    Part PartAt(const RECT& client, int y) const;
    ThumbSpan ThumbOf(const RECT& client) const;
    ThumbSpan TrackOf(const RECT& client) const;
    void Send(WORD command, int position = 0) const;
    void DrawArrow(HDC dc, const RECT& rect, bool up, bool pressed);
    void DrawThumb(HDC dc, const RECT& rect);

    HWND list_ = nullptr;
    KineticMetrics metrics_ = {};
    ScrollRange range_ = {0, 0, 0, 0};
    bool visible_ = false;
    Part pressed_ = None;
    int dragOffset_ = 0;   // overlay: computed minus actual position at the grab
    int grabY_ = 0;        // classic: where the thumb was grabbed
    int grabPosition_ = 0; // and the position then
    POINT pen_ = {};       // last pen point while a part is pressed
    HBITMAP image_ = nullptr;
    int imageWidth_ = 0, imageHeight_ = 0;
    int barWidth_ = 0;
    int minimumThumb_ = 0;
    bool shown_ = false;
    int fadeStep_ = 5; // 5: the indicator is not drawn
    PaintBuffer partBuffer_;
};
