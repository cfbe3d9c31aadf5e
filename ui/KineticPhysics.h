#pragma once
// The arithmetic of the finger-scrolled list, without a window: lengths scaled to the screen, one drag
// step with the elastic ends, velocity sampling, what a release turns into, the fling and spring-back
// trajectories step by step, the key moves, the scroll bar's thumb and track, and the indicator's fade.
// KineticList feeds these its events and paints what they return.
//
// Positions are the list's content offset at the window's top edge: row i occupies
// y = i × itemHeight − position, so a position below 0 shows a gap (or the header) above row 0.
#include <windows.h>

// Lengths scaled from 96 dots per inch: a·dpi/96 is (a × dpi + 48) / 96 unless noted.
struct KineticMetrics {
    int dragThreshold;        // vertical travel that starts a drag: 10·Y/96
    int holdSlopX, holdSlopY; // travel that cancels tap-and-hold: ((X + 24) × 2) / 96, ((Y + 24) × 2) / 96
    int flingCap;             // fastest fling in px/s: 1000 at 96 dpi, 4000 at 192 dpi
    int classicBarWidth;      // 13·X/96
    int arrowHeight;          // 20·X/96
    int classicMinThumb;      // 15·Y/96
    int overlayBarWidth;      // ((X + 3) × 16) / 96
    int overlayTouchZone;     // the rightmost 25·X/96 pixels take presses while the indicator shows
    int headerInset;          // 5·X/96 left and right of the header text
    int headerTop;            // ((Y + 24) × 2) / 96 above the header text
    int headerBottom;         // ((Y + 12) × 4) / 96 below it
    int unitY;                // 1·Y/96: the track is the bar less (arrowHeight − unitY) at each end
    int pen;                  // 1·X/96: the classic bar's outlines and grip bars
    int gripWidth;            // 7·X/96
    int gripLeft;             // ((X + 16) × 3) / 96 left of the thumb's centre
    int gripGap;              // ((Y + 24) × 2) / 96 between grip bars
};

KineticMetrics ScaleKineticMetrics(int dpiX, int dpiY);

// The furthest position that still fills the window: max(0, itemCount × itemHeight − clientHeight).
int BottomPosition(int itemCount, int itemHeight, int clientHeight);

// One finger move during a drag: the position after moving by delta (previous finger y − finger y)
// from position, where the part of the move beyond either end of [0, bottom] counts half (halves
// truncate toward zero).
int DragStep(int position, int delta, int bottom);

// The velocity sample of a drag: the previous sample's length and displacement, and where the current
// one started.
struct VelocitySample {
    DWORD time = 0;   // tick count the current sample started
    int position = 0; // list position then
    int duration = 0; // ms of the previous sample
    int velocity = 0; // px of the previous sample; after a release, px/s
};

// Starts afresh at a press.
void StartSample(VelocitySample& sample, DWORD now, int position);
// After a drag step: a sample older than 100 ms is closed and a new one started at position.
void UpdateSample(VelocitySample& sample, DWORD now, int position);

// What the list does when the finger comes up.
enum class ReleaseKind { SpringToTop, SpringToBottom, Tap, Rest, Fling };

struct ReleaseState {
    int position;
    int headerHeight;
    int itemCount, itemHeight, clientHeight;
    bool dragging;
    int lastY;    // the finger's previous y
    int releaseY; // y of the release
};

struct ReleaseOutcome {
    ReleaseKind kind;
    int position; // after an ended drag the last move counts in full
    int velocity; // px/s, for Rest and Fling
};

ReleaseOutcome DecideRelease(const ReleaseState& state, VelocitySample& sample, DWORD now);

// Flings and spring-backs move the list in steps.
struct FlingPlan {
    int target; // where the fling would come to rest
    int limit;  // the furthest a single step may carry it past the end it runs towards
    int end;    // that end: bottom position when moving down the content, −headerHeight when up
    bool down;  // moving down the content (velocity > 0)
    int rate = 1700, bias = 10553; // easing: each step covers (distance × rate + bias) / 10000
};

// The fastest fling at the screen's vertical dpi.
int FlingCap(int dpiY);
FlingPlan PlanFling(int position, int velocity, int flingScale, int dpiY, int bottom, int headerHeight,
                    int clientHeight);
// The next fling position: (|target − position| × rate + bias) / 10000 towards the target, not past it
// nor past the limit.
int FlingStep(int position, const FlingPlan& plan);
// True when the fling has left its end and must turn into a spring-back.
bool FlingLeftEnd(int position, const FlingPlan& plan);

// Where a spring-back settles: −headerHeight at the top; at the bottom, the bottom position, 0 without
// a header when the rows are shorter than the window, −headerHeight when header and rows together are.
int SpringGoalTop(int headerHeight);
int SpringGoalBottom(int itemCount, int itemHeight, int clientHeight, int headerHeight);
// The next spring-back position: (|goal − position| × 3364 + 10753) / 10000 towards goal, not past it.
int SpringStep(int position, int goal);

// The position the scroll commands (WM_VSCROLL) move to, clamped to [0, bottom]: they never show the
// header.
int ClampScrollPosition(int position, int bottom);

// What a navigation key does to the list.
struct KeyMove {
    bool handled = false; // false: the key is the parent's
    int select = -1;      // row to select, -1 for none
    int selectFlag = 0;   // the flag OnSelectionChanged reports
    bool scroll = false;  // move to position (clamped like the scroll commands) before selecting
    int position = 0;
    int command = -1;          // SB_TOP or SB_BOTTOM, or -1
    bool commandFirst = false; // the command goes before the selection
};

struct KeyState {
    int selection, itemCount, itemHeight, position, clientHeight;
};

// VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT, VK_HOME, VK_END; VK_LEFT and VK_RIGHT are handled and do nothing.
KeyMove MoveByKey(UINT key, const KeyState& state);

// True when row lies wholly inside the window.
bool RowFullyVisible(int row, int itemHeight, int position, int clientHeight);

// The scroll range as the list gives it to its bar: minimum 0, maximum the last pixel, page the
// visible part, position.
struct ScrollRange {
    int minimum, maximum, page, position;
};

struct ThumbSpan {
    int top, height;
};

// The track: the bar's height less (arrowHeight − unitY) at each end.
ThumbSpan TrackOf(int barHeight, const KineticMetrics& metrics);

// The overlay indicator's thumb: the image's height, shrinking while the list is pulled past an end.
ThumbSpan OverlayThumb(const ScrollRange& range, ThumbSpan track, int imageHeight);
// The classic bar's thumb: shorter as the content grows, never below the minimum.
ThumbSpan ClassicThumb(const ScrollRange& range, ThumbSpan track, int minimumThumb);

// The position a press at y on the overlay track stands for, the track's ends moved inwards by half the
// image height, plus offset (the thumb's grab offset while it is dragged), clamped to [minimum, maximum].
int OverlayPosition(int y, const ScrollRange& range, ThumbSpan track, int imageHeight, int offset = 0);

// The classic bar's position for a thumb dragged by travel pixels from where it was grabbed at
// startPosition.
int ClassicDragPosition(int startPosition, int travel, const ScrollRange& range, ThumbSpan track,
                        int thumbHeight);

// The indicator's constant alpha at fade step 0..5: 255 while its thumb is dragged, else 180, fading
// to nothing in five steps.
int FadeAlpha(int fadeStep, bool thumbDragged);

// Height of the area above row 0 for a header text block textHeight high: 0 without text.
int HeaderHeight(int textHeight, const KineticMetrics& metrics);
