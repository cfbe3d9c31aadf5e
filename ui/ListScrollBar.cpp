#include "ui/ListScrollBar.h"

#include <algorithm>

namespace {

constexpr COLORREF FaceColour = RGB(206, 223, 239);
constexpr int GripBars = 3;

// Draws rect of dc through an off-screen copy made by draw(memory, width, height), then keeps it out of
// the clip so that what follows leaves it alone.
template <class Draw> void DrawPart(PaintBuffer& buffer, HDC dc, const RECT& rect, Draw draw) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;
    if (HDC memory = buffer.Prepare(dc, width, height)) {
        draw(memory, width, height);
        BitBlt(dc, rect.left, rect.top, width, height, memory, 0, 0, SRCCOPY);
    }
    ExcludeClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
}

// A filled rectangle outlined by a black pen of the given width.
void OutlinedBox(HDC dc, int width, int height, COLORREF fill, int pen) {
    ScopedPen outline(CreatePen(PS_SOLID, pen, RGB(0, 0, 0)));
    ScopedBrush brush(CreateSolidBrush(fill));
    ScopedSelect selectPen(dc, outline.Get());
    ScopedSelect selectBrush(dc, brush.Get());
    Rectangle(dc, 0, 0, width, height);
}

} // namespace

void ListScrollBar::Setup(HWND list, HBITMAP image, const KineticMetrics& metrics) {
    list_ = list;
    metrics_ = metrics;
    image_ = image;
    imageWidth_ = imageHeight_ = 0;
    BITMAP info = {};
    if (image && GetObjectW(image, sizeof info, &info) && info.bmWidth > 0 && info.bmHeight > 0) {
        imageWidth_ = info.bmWidth;
        imageHeight_ = info.bmHeight;
    } else {
        image_ = nullptr; // an image without pixels draws nothing: the classic bar serves instead
    }
    barWidth_ = image_ ? metrics.overlayBarWidth : metrics.classicBarWidth;
    minimumThumb_ = image_ ? imageHeight_ : metrics.classicMinThumb;
}

void ListScrollBar::SetRange(const ScrollRange& range) {
    range_ = range;
    visible_ = range.maximum - range.minimum + 1 > range.page && range.page > 0;
}

RECT ListScrollBar::BarRect(const RECT& client) const {
    return {client.right - barWidth_, client.top, client.right, client.bottom};
}

ThumbSpan ListScrollBar::TrackOf(const RECT& client) const {
    ThumbSpan track = ::TrackOf(client.bottom - client.top, metrics_);
    track.top += client.top;
    return track;
}

ThumbSpan ListScrollBar::ThumbOf(const RECT& client) const {
    const ThumbSpan track = TrackOf(client);
    return Overlay() ? OverlayThumb(range_, track, imageHeight_) : ClassicThumb(range_, track, minimumThumb_);
}

RECT ListScrollBar::ThumbRect(const RECT& client) const {
    const ThumbSpan thumb = ThumbOf(client);
    const RECT bar = BarRect(client);
    return {bar.left, thumb.top, bar.right, thumb.top + thumb.height};
}

ListScrollBar::Part ListScrollBar::PartAt(const RECT& client, int y) const {
    if (!Overlay()) {
        if (y < client.top + metrics_.arrowHeight) return UpArrow;
        if (y >= client.bottom - metrics_.arrowHeight) return DownArrow;
    }
    const ThumbSpan thumb = ThumbOf(client);
    if (y < thumb.top) return TrackAbove;
    if (y >= thumb.top + thumb.height) return TrackBelow;
    return Thumb;
}

void ListScrollBar::Send(WORD command, int position) const {
    SendMessageW(list_, WM_VSCROLL, MAKEWPARAM(command, static_cast<WORD>(position)), position);
}

bool ListScrollBar::Press(int x, int y) {
    RECT client;
    if (!visible_ || !GetClientRect(list_, &client)) return false;
    const int zone = Overlay() ? metrics_.overlayTouchZone : barWidth_;
    if (x < client.right - zone) return false;
    SetCapture(list_);
    pen_ = {x, y};
    pressed_ = PartAt(client, y);
    if (Overlay()) {
        const int computed = OverlayPosition(y, range_, TrackOf(client), imageHeight_);
        if (pressed_ == Thumb) {
            dragOffset_ = range_.position - computed;
        } else {
            dragOffset_ = 0;
            pressed_ = Thumb;
            Send(ScrollToCommand, computed);
        }
        return true;
    }
    switch (pressed_) {
    case UpArrow:
        Send(SB_LINEUP);
        break;
    case DownArrow:
        Send(SB_LINEDOWN);
        break;
    case TrackAbove:
        Send(SB_PAGEUP);
        break;
    case TrackBelow:
        Send(SB_PAGEDOWN);
        break;
    default:
        grabY_ = y;
        grabPosition_ = range_.position;
        break;
    }
    InvalidateRect(list_, nullptr, FALSE);
    return true;
}

bool ListScrollBar::Drag(int x, int y) {
    if (pressed_ == None) return false;
    pen_ = {x, y};
    if (pressed_ != Thumb) return true;
    RECT client;
    GetClientRect(list_, &client);
    const ThumbSpan track = TrackOf(client);
    int position;
    if (Overlay()) {
        position = OverlayPosition(y, range_, track, imageHeight_, dragOffset_);
    } else {
        position = ClassicDragPosition(grabPosition_, y - grabY_, range_, track, ThumbOf(client).height);
    }
    Send(ScrollToCommand, position);
    return true;
}

bool ListScrollBar::Release() {
    if (pressed_ == None) return false;
    if (GetCapture() == list_) ReleaseCapture();
    pressed_ = None;
    if (!Overlay()) InvalidateRect(list_, nullptr, FALSE);
    return true;
}

void ListScrollBar::Repeat() {
    RECT client;
    if (!Repeating() || !GetClientRect(list_, &client)) return;
    // Paging stops once the thumb has come to the pen; arrows only repeat under it.
    if (pen_.x < client.right - barWidth_ || PartAt(client, pen_.y) != pressed_) return;
    static constexpr WORD commands[] = {SB_LINEUP, SB_LINEDOWN, 0, SB_PAGEUP, SB_PAGEDOWN};
    Send(commands[pressed_]);
}

void ListScrollBar::Show() {
    shown_ = true;
    fadeStep_ = 0;
}

bool ListScrollBar::Hide() {
    if (!shown_ || fadeStep_ > 0) return false;
    fadeStep_ = 0;
    return true;
}

bool ListScrollBar::FadeTick() {
    if (++fadeStep_ < 5) return true;
    fadeStep_ = 5;
    shown_ = false;
    return false;
}

void ListScrollBar::DrawArrow(HDC dc, const RECT& rect, bool up, bool pressed) {
    DrawPart(partBuffer_, dc, rect, [&](HDC memory, int width, int height) {
        OutlinedBox(memory, width, height, pressed ? RGB(0, 0, 0) : FaceColour, metrics_.pen);
        const COLORREF mark = pressed ? RGB(255, 255, 255) : RGB(0, 0, 0);
        const int half = std::max(1, width / 4), rise = std::max(1, width / 4);
        const int cx = width / 2, cy = height / 2;
        const int tip = up ? cy - rise / 2 : cy + rise / 2, base = up ? tip + rise : tip - rise;
        const POINT points[] = {{cx, tip}, {cx - half, base}, {cx + half, base}};
        ScopedPen pen(CreatePen(PS_SOLID, 1, mark));
        ScopedBrush brush(CreateSolidBrush(mark));
        ScopedSelect selectPen(memory, pen.Get());
        ScopedSelect selectBrush(memory, brush.Get());
        Polygon(memory, points, 3);
    });
}

void ListScrollBar::DrawThumb(HDC dc, const RECT& rect) {
    DrawPart(partBuffer_, dc, rect, [&](HDC memory, int width, int height) {
        OutlinedBox(memory, width, height, FaceColour, metrics_.pen);
        ScopedBrush black(CreateSolidBrush(RGB(0, 0, 0)));
        const int left = width / 2 - metrics_.gripLeft;
        for (int bar = 0; bar < GripBars; ++bar) {
            const int top = height / 2 - metrics_.gripGap + bar * metrics_.gripGap;
            const RECT grip = {left, top, left + metrics_.gripWidth, top + metrics_.pen};
            FillRect(memory, &grip, black.Get());
        }
    });
}

void ListScrollBar::PaintClassic(HDC dc, const RECT& client) {
    if (!visible_ || Overlay()) return;
    const RECT bar = BarRect(client);
    const int saved = SaveDC(dc);
    DrawArrow(dc, {bar.left, bar.top, bar.right, bar.top + metrics_.arrowHeight}, true, pressed_ == UpArrow);
    DrawArrow(dc, {bar.left, bar.bottom - metrics_.arrowHeight, bar.right, bar.bottom}, false,
              pressed_ == DownArrow);
    DrawThumb(dc, ThumbRect(client));
    const ThumbSpan track = TrackOf(client);
    ScopedBrush white(CreateSolidBrush(RGB(255, 255, 255)));
    ScopedSelect selectBrush(dc, white.Get());
    ScopedSelect selectPen(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, bar.left, track.top, bar.right, track.top + track.height);
    RestoreDC(dc, saved);
}

void ListScrollBar::PaintOverlay(HDC dc, HDC source, const RECT& client) {
    if (!Overlay() || !visible_ || !shown_ || fadeStep_ >= 5 || !source) return;
    const ThumbSpan thumb = ThumbOf(client);
    if (thumb.height <= 0) return;
    const RECT bar = BarRect(client);
    const int x = bar.left + (barWidth_ - imageWidth_) / 2;
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(FadeAlpha(fadeStep_, ThumbHeld())), 0};
    HGDIOBJ old = SelectObject(source, image_);
    auto slice = [&](int y, int height, int sourceY, int sourceHeight) {
        if (height > 0 && sourceHeight > 0)
            AlphaBlend(dc, x, y, imageWidth_, height, source, 0, sourceY, imageWidth_, sourceHeight, blend);
    };
    if (thumb.height <= imageHeight_) {
        // One copy, squeezed while the list is pulled past an end.
        slice(thumb.top, thumb.height, 0, imageHeight_);
    } else {
        const int third = imageHeight_ / 3, middle = imageHeight_ - 2 * third;
        slice(thumb.top, third, 0, third);
        const int bottom = thumb.top + thumb.height;
        for (int y = thumb.top + third; y < bottom - third; y += middle) {
            const int height = std::min(middle, bottom - third - y);
            slice(y, height, third, height);
        }
        slice(bottom - third, third, imageHeight_ - third, third);
    }
    SelectObject(source, old);
}
