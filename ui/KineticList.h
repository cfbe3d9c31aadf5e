#pragma once
// A finger-scrolled, owner-drawn list window: rows of one height that follow the finger, glide after a
// flick, spring back when pulled past either end, show an optional header text when pulled down past
// the top, a scroll bar or a fading indicator, keyboard navigation and optional tap-and-hold. It holds
// only the number and height of its rows; its owner draws them and hears of taps and keys through
// KineticListOwner. The arithmetic lives in KineticPhysics.h; this class feeds it events and paints.
//
// The owner sets itemHeight, bounds, fillHeight, hideOnDeactivate, longPressEnabled and the header
// fields directly, then calls Place, Relayout or Repaint as needed.
#include "foundation/WString.h"
#include "ui/BufferedPaint.h"
#include "ui/KineticListOwner.h"
#include "ui/KineticPhysics.h"
#include "ui/ListScrollBar.h"
#include "ui/WindowBase.h"

#include <windows.h>

class KineticList : public WindowBase {
public:
    // Posted to itself: glide after a flick, spring back to the top, spring back to the bottom.
    static constexpr UINT FlingMessage = WM_USER + 101;
    static constexpr UINT SpringTopMessage = WM_USER + 102;
    static constexpr UINT SpringBottomMessage = WM_USER + 103;
    // Tap-and-hold (also for a held action key).
    static constexpr UINT_PTR HoldTimer = 2;
    static constexpr UINT HoldMs = 500;
    // The pause between the steps of a fling.
    static constexpr DWORD FlingStepMs = 50;

    KineticList() = default;
    // Destroys the window without telling the owner any more.
    ~KineticList() override;

    // Creates the list (WS_CHILD | WS_BORDER, hidden) in parent at bounds, with the overlay indicator's
    // image or null for the classic bar; reports the current selection (-1 when refused) to the owner.
    bool Create(HWND parent, HBITMAP scrollImage);
    // Sets the row count: the first row selected if the owner allows it, the top shown, all repainted.
    void SetItemCount(int count);
    // Moves the window to bounds: the full requested height with fillHeight, else no taller than the rows.
    void Place();
    // Measures the header, works out the last pixel and the scroll range; with force (or the classic
    // bar, or a list that is not elastic) brings the position back between the ends.
    void Relayout(bool force);
    // Selects row (subject to CanSelect) and repaints the rows that changed; reports flag to the owner.
    void SelectRow(int row, int flag);
    // Repaints the whole window at once.
    void Repaint();
    // The row at client y, or -1.
    int RowAt(int y) const;
    // The row's rectangle in client coordinates.
    RECT RowRect(int row) const;
    int ClientHeight() const;

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    struct Bounds {
        int width, height, x, y;
    };

    ListScrollBar scrollBar;
    int itemCount = 0;
    int itemHeight = 0;
    int selection = 0;
    int scrollPos = 0; // content offset of the window's top edge; negative while pulled down
    int lastPixel = 0;
    KineticListOwner* owner = nullptr;
    Bounds bounds = {};
    int fillHeight = 0;
    int hideOnDeactivate = 0;
    int longPressEnabled = 0;
    POINT pressPoint = {}; // y follows the finger during a drag
    int dragging = 0;
    int longPressArmed = 0;
    int actionKeyDown = 0;
    int elastic = 1;
    VelocitySample sample;
    int flingScale = 1;
    int easeRate = 1700, easeBias = 10553;
    HFONT headerFont = nullptr; // the owner's
    WString headerText;
    int headerHeight = 0;
    UINT headerFormat = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;

protected:
    int OnCreate(const CREATESTRUCTW& create) override;
    void OnPaint(HDC dc, const RECT& rcPaint) override;
    bool OnEraseBackground(HDC dc) override;
    void OnSize(int width, int height) override;
    void OnActivate(WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;
    bool OnPenDown(int x, int y) override;
    bool OnPenMove(int x, int y) override;
    bool OnPenUp(int x, int y) override;
    bool OnKeyDown(UINT key, LPARAM flags) override;
    bool OnKeyUp(UINT key, LPARAM flags) override;
    bool OnChar(wchar_t character, LPARAM flags) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool HoldsCapture() const;
    // Stops tap-and-hold, forgetting a held action key and any tick already queued.
    void StopHold();
    void ArmHold(POINT point);
    void LongPress();
    void ShowIndicator();
    void HideIndicator();
    void RepaintBar();
    // A tap at point: selects the row there and tells the owner, or the header's tap.
    void Tap(POINT point);
    void Fling();
    void SpringBack(int goal);
    void Scroll(WORD command, int high, LPARAM lParam);
    void ScrollTo(int position);
    void ScrollIntoView(int row);
    void HandleKey(UINT key, LPARAM flags);
    // Removes the repeats of key still queued once a key's release is waiting.
    void DropKeyRepeats(UINT key);
    int RowsWidth(const RECT& client) const;
    int MeasureHeader(int width);
    void PaintRows(HDC dc, const RECT& client, const RECT& clip, bool rowBuffers);
    bool PressWaiting() const;

    KineticMetrics metrics_ = ScaleKineticMetrics(96, 96);
    HBITMAP scrollImage_ = nullptr; // handed to the bar once the window exists
    PaintBuffer paint_;             // the whole client area (overlay indicator)
    PaintBuffer rowPaint_;          // one row at a time (classic bar)
    // What the header was last measured for.
    const wchar_t* measuredText_ = nullptr;
    int measuredLength_ = -1, measuredWidth_ = -1;
    HFONT measuredFont_ = nullptr;
    UINT measuredFormat_ = 0;
    int measuredHeight_ = 0;
};
