#include "ui/KineticPhysics.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int Scaled(int a, int dpi) {
    return (a * dpi + 48) / 96;
}

constexpr DWORD SampleLengthMs = 100;
constexpr int RestingSpeed = 50; // px/s: slower releases leave the list where it is
constexpr int SpringRate = 3364, SpringBias = 10753;
constexpr int FadeSteps = 5;

// The part of a position beyond the end it lies past, measured for a move between old and new.
int Excess(int position, int other, int bottom) {
    if (position < 0) return position / 2;
    if (position > bottom) return (position - bottom) / 2;
    // Inside: the whole way to the end the other position lies past.
    return other > bottom ? position - bottom : position;
}

} // namespace

KineticMetrics ScaleKineticMetrics(int x, int y) {
    const int q = (y * 1000 + 48) / 96;
    KineticMetrics m;
    m.dragThreshold = Scaled(10, y);
    m.holdSlopX = ((x + 24) * 2) / 96;
    m.holdSlopY = ((y + 24) * 2) / 96;
    m.flingCap = (q * y + 48) / 96;
    m.classicBarWidth = Scaled(13, x);
    m.arrowHeight = Scaled(20, x);
    m.classicMinThumb = Scaled(15, y);
    m.overlayBarWidth = ((x + 3) * 16) / 96;
    m.overlayTouchZone = Scaled(25, x);
    m.headerInset = Scaled(5, x);
    m.headerTop = ((y + 24) * 2) / 96;
    m.headerBottom = ((y + 12) * 4) / 96;
    m.unitY = Scaled(1, y);
    m.pen = Scaled(1, x);
    m.gripWidth = Scaled(7, x);
    m.gripLeft = ((x + 16) * 3) / 96;
    m.gripGap = ((y + 24) * 2) / 96;
    return m;
}

int BottomPosition(int itemCount, int itemHeight, int clientHeight) {
    return std::max(0, itemCount * itemHeight - clientHeight);
}

int DragStep(int position, int delta, int bottom) {
    const int moved = position + delta;
    const bool oldInside = position >= 0 && position <= bottom;
    const bool newInside = moved >= 0 && moved <= bottom;
    if (oldInside && newInside) return moved;
    return position - Excess(position, moved, bottom) + Excess(moved, position, bottom);
}

void StartSample(VelocitySample& sample, DWORD now, int position) {
    sample = {now, position, 0, 0};
}

void UpdateSample(VelocitySample& sample, DWORD now, int position) {
    if (now - sample.time <= SampleLengthMs) return;
    sample.duration = static_cast<int>(now - sample.time);
    sample.velocity = position - sample.position;
    sample.position = position;
    sample.time = now;
}

ReleaseOutcome DecideRelease(const ReleaseState& state, VelocitySample& sample, DWORD now) {
    ReleaseOutcome outcome{ReleaseKind::Tap, state.position, 0};
    if (state.position < -state.headerHeight) {
        outcome.kind = ReleaseKind::SpringToTop;
        return outcome;
    }
    if (state.clientHeight > state.itemCount * state.itemHeight - state.position &&
        state.position != -state.headerHeight) {
        outcome.kind = ReleaseKind::SpringToBottom;
        return outcome;
    }
    if (!state.dragging) return outcome;
    int elapsed = static_cast<int>(now - sample.time) + sample.duration;
    if (elapsed == 0) elapsed = 1;
    outcome.position += state.lastY - state.releaseY;
    sample.velocity = static_cast<int>(
        (static_cast<long long>(outcome.position - sample.position) + sample.velocity) * 1000 / elapsed);
    outcome.velocity = sample.velocity;
    outcome.kind = std::abs(outcome.velocity) < RestingSpeed ? ReleaseKind::Rest : ReleaseKind::Fling;
    return outcome;
}

int FlingCap(int dpiY) {
    return ScaleKineticMetrics(dpiY, dpiY).flingCap;
}

FlingPlan PlanFling(int position, int velocity, int flingScale, int dpiY, int bottom, int headerHeight,
                    int clientHeight) {
    const int cap = FlingCap(dpiY);
    velocity = std::clamp(velocity, -cap, cap);
    FlingPlan plan;
    plan.target = position + velocity * flingScale;
    plan.down = velocity > 0;
    plan.end = plan.down ? bottom : -headerHeight;
    plan.limit = plan.down ? bottom + (2 * clientHeight) / 3 : -(2 * clientHeight) / 3 - headerHeight;
    return plan;
}

int FlingStep(int position, const FlingPlan& plan) {
    const int step = static_cast<int>(
        (static_cast<long long>(std::abs(plan.target - position)) * plan.rate + plan.bias) / 10000);
    if (plan.down) return std::min({position + step, plan.target, plan.limit});
    return std::max({position - step, plan.target, plan.limit});
}

bool FlingLeftEnd(int position, const FlingPlan& plan) {
    return plan.down ? position > plan.end : position < plan.end;
}

int SpringGoalTop(int headerHeight) {
    return -headerHeight;
}

int SpringGoalBottom(int itemCount, int itemHeight, int clientHeight, int headerHeight) {
    const int rows = itemCount * itemHeight;
    int goal = rows - clientHeight;
    if (headerHeight == 0 && goal < 0) goal = 0;
    if (headerHeight > 0 && goal < 1 && headerHeight + rows < clientHeight) goal = -headerHeight;
    return goal;
}

int SpringStep(int position, int goal) {
    const int step = static_cast<int>(
        (static_cast<long long>(std::abs(goal - position)) * SpringRate + SpringBias) / 10000);
    return position < goal ? std::min(position + step, goal) : std::max(position - step, goal);
}

int ClampScrollPosition(int position, int bottom) {
    return std::clamp(position, 0, std::max(0, bottom));
}

bool RowFullyVisible(int row, int itemHeight, int position, int clientHeight) {
    const int top = row * itemHeight - position;
    return top >= 0 && top + itemHeight <= clientHeight;
}

KeyMove MoveByKey(UINT key, const KeyState& state) {
    KeyMove move;
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT:
        move.handled = true;
        break;
    default:
        return move;
    }
    const int count = state.itemCount;
    if (count <= 0 || key == VK_LEFT || key == VK_RIGHT) return move;
    const int h = std::max(1, state.itemHeight);
    const int page = std::max(1, state.clientHeight / h);
    const int selection = std::min(state.selection, count - 1);
    auto scrollTo = [&](int top) {
        move.scroll = true;
        move.position = top * state.itemHeight;
    };
    switch (key) {
    case VK_UP: {
        const int row = std::max(0, selection - 1);
        move.select = row;
        move.selectFlag = 1;
        if (RowFullyVisible(row, state.itemHeight, state.position, state.clientHeight)) {
            if (selection <= 0) move.command = SB_TOP;
        } else {
            scrollTo(row);
        }
        break;
    }
    case VK_DOWN: {
        const int row = selection < 0 ? 0 : std::min(selection + 1, count - 1);
        if (!RowFullyVisible(row, state.itemHeight, state.position, state.clientHeight))
            scrollTo(std::max(0, row - page + 1));
        move.select = row;
        move.selectFlag = 1;
        break;
    }
    case VK_PRIOR:
        if (selection < 1) break;
        move.select = std::max(0, selection - page + 1);
        scrollTo(move.select);
        break;
    case VK_NEXT:
        if (selection < 0 || selection == count - 1) break;
        move.select = std::min(selection + page - 1, count - 1);
        scrollTo(std::max(0, move.select - page + 1));
        break;
    case VK_HOME:
        move.select = 0;
        move.command = SB_TOP;
        break;
    case VK_END:
        move.select = count - 1;
        move.command = SB_BOTTOM;
        move.commandFirst = true;
        break;
    }
    return move;
}

ThumbSpan TrackOf(int barHeight, const KineticMetrics& metrics) {
    const int inset = std::max(0, metrics.arrowHeight - metrics.unitY);
    return {inset, std::max(0, barHeight - 2 * inset)};
}

ThumbSpan OverlayThumb(const ScrollRange& r, ThumbSpan track, int imageHeight) {
    const int h = imageHeight;
    const int restEnd = r.maximum - r.page + 1; // the last position that shows no gap below the rows
    const int page = std::max(1, r.page);
    if (r.position > restEnd) {
        const int height = std::max(0, h - (r.position - restEnd) * h / page);
        return {track.top + track.height - height, height};
    }
    if (r.position < r.minimum) return {track.top, std::max(0, h - (r.minimum - r.position) * h / page)};
    const int span = r.maximum - r.page - r.minimum;
    int top = track.top +
              (span > 0 ? static_cast<int>(static_cast<long long>(track.height - h) * r.position / span) : 0);
    top = std::max(track.top, std::min(top, track.top + track.height - h));
    return {top, h};
}

ThumbSpan ClassicThumb(const ScrollRange& r, ThumbSpan track, int minimumThumb) {
    const int span = r.maximum - r.page - r.minimum;
    const int height = std::max(track.height - span / 2, minimumThumb);
    int top =
        track.top +
        (span > 0 ? static_cast<int>(static_cast<long long>(track.height - height) * r.position / span) : 0);
    top = std::max(track.top, std::min(top, track.top + track.height - height));
    return {top, height};
}

int OverlayPosition(int y, const ScrollRange& r, ThumbSpan track, int imageHeight, int offset) {
    const int first = track.top + imageHeight / 2;
    const int last = track.top + track.height - imageHeight / 2;
    if (last <= first) return r.minimum;
    const long long position =
        offset + static_cast<long long>(y - first) * (r.maximum - r.minimum - r.page) / (last - first);
    return static_cast<int>(std::clamp<long long>(position, r.minimum, r.maximum));
}

int ClassicDragPosition(int startPosition, int travel, const ScrollRange& r, ThumbSpan track,
                        int thumbHeight) {
    const int room = track.height - thumbHeight;
    const int span = r.maximum - r.page - r.minimum;
    if (room <= 0 || span <= 0) return startPosition;
    const long long position = startPosition + static_cast<long long>(travel) * span / room;
    return static_cast<int>(std::clamp<long long>(position, r.minimum, r.maximum));
}

int FadeAlpha(int fadeStep, bool thumbDragged) {
    const int full = thumbDragged ? 255 : 180;
    return (FadeSteps - std::clamp(fadeStep, 0, FadeSteps)) * full / FadeSteps;
}

int HeaderHeight(int textHeight, const KineticMetrics& metrics) {
    return textHeight > 0 ? textHeight + metrics.headerTop + metrics.headerBottom : 0;
}
