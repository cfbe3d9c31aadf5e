// The list's arithmetic without a window: scaled lengths, drag steps, release decisions, fling and
// spring-back trajectories, key moves, thumb geometry and the indicator's fade.
#include "ui/KineticPhysics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

TEST(KineticPhysics, LengthsScaleWithTheScreen) {
    const KineticMetrics low = ScaleKineticMetrics(96, 96), high = ScaleKineticMetrics(192, 192);
    EXPECT_EQ(low.dragThreshold, 10);
    EXPECT_EQ(high.dragThreshold, 20);
    EXPECT_EQ(low.flingCap, 1000);
    EXPECT_EQ(high.flingCap, 4000) << "the cap grows with the square of the resolution";
    EXPECT_EQ(low.holdSlopX, 2);
    EXPECT_EQ(high.holdSlopY, 4);
    EXPECT_EQ(high.classicBarWidth, 26);
    EXPECT_EQ(high.overlayBarWidth, 32);
    EXPECT_EQ(high.overlayTouchZone, 50);
    EXPECT_EQ(low.headerTop + low.headerBottom, 2 + 4);
    EXPECT_EQ(HeaderHeight(0, low), 0) << "no text, no header";
    EXPECT_EQ(HeaderHeight(13, low), 19);
}

TEST(KineticPhysics, DraggingPastAnEndMovesHalfAsFar) {
    const int bottom = 500;
    EXPECT_EQ(DragStep(100, 40, bottom), 140) << "inside the ends the list follows the finger";
    EXPECT_EQ(DragStep(0, -60, bottom), -30) << "pulled down from the top";
    EXPECT_EQ(DragStep(0, -1, bottom), 0) << "a half pixel truncates to nothing";
    EXPECT_EQ(DragStep(-30, -20, bottom), -40);
    EXPECT_EQ(DragStep(490, 30, bottom), 510) << "10 inside, 20 beyond";
    EXPECT_EQ(DragStep(-30, 50, bottom), -30 + 15 + 20) << "back from the gap past the top";
    EXPECT_EQ(DragStep(520, -30, bottom), 520 - 10 - 10) << "back from the gap past the bottom";

    // Whatever the finger does from inside, the list never ends further past an end than half the move.
    std::mt19937 random(12);
    for (int i = 0; i < 5000; ++i) {
        const int from = std::uniform_int_distribution<int>(0, bottom)(random);
        const int delta = std::uniform_int_distribution<int>(-800, 800)(random);
        const int to = DragStep(from, delta, bottom);
        const int excess = std::max({0, -(from + delta), from + delta - bottom});
        const int past = std::max({0, -to, to - bottom});
        ASSERT_LE(past, excess / 2 + 1) << from << " by " << delta;
        ASSERT_TRUE(delta >= 0 ? to >= from : to <= from) << "the list moves the finger's way";
    }
}

TEST(KineticPhysics, VelocityIsSampledOverAtLeastATenthOfASecond) {
    VelocitySample sample;
    StartSample(sample, 1000, 40);
    UpdateSample(sample, 1100, 90);
    EXPECT_EQ(sample.duration, 0) << "100 ms is not yet a sample";
    UpdateSample(sample, 1150, 100);
    EXPECT_EQ(sample.duration, 150);
    EXPECT_EQ(sample.velocity, 60);
    EXPECT_EQ(sample.position, 100);
    EXPECT_EQ(sample.time, 1150u);
}

TEST(KineticPhysics, AReleaseTapsRestsFlingsOrSpringsBack) {
    ReleaseState state{0, 0, 50, 20, 200, false, 100, 100};
    VelocitySample sample;
    StartSample(sample, 1000, 0);
    EXPECT_EQ(DecideRelease(state, sample, 1050).kind, ReleaseKind::Tap);

    state.dragging = true;
    state.position = 300;
    StartSample(sample, 1000, 300);
    state.lastY = 100;
    state.releaseY = 96;
    ReleaseOutcome outcome = DecideRelease(state, sample, 1100);
    EXPECT_EQ(outcome.kind, ReleaseKind::Rest) << "4 px in 100 ms is 40 px/s";
    EXPECT_EQ(outcome.position, 304) << "the release's own move counts in full";

    StartSample(sample, 1000, 300);
    sample.duration = 100;
    sample.velocity = 60; // the previous sample
    state.releaseY = 100;
    outcome = DecideRelease(state, sample, 1100);
    EXPECT_EQ(outcome.kind, ReleaseKind::Fling);
    EXPECT_EQ(outcome.velocity, 300) << "60 px over 200 ms";

    state.position = -1;
    EXPECT_EQ(DecideRelease(state, sample, 1100).kind, ReleaseKind::SpringToTop);
    state.headerHeight = 30;
    state.position = -30;
    EXPECT_NE(DecideRelease(state, sample, 1100).kind, ReleaseKind::SpringToTop) << "the header may show";
    state.headerHeight = 0;
    state.position = 801;
    EXPECT_EQ(DecideRelease(state, sample, 1100).kind, ReleaseKind::SpringToBottom);

    // A list shorter than its window settles at 0 from either direction.
    state.itemCount = 3;
    state.position = 15;
    EXPECT_EQ(DecideRelease(state, sample, 1100).kind, ReleaseKind::SpringToBottom);
    EXPECT_EQ(SpringGoalBottom(3, 20, 200, 0), 0);
    state.position = -15;
    EXPECT_EQ(DecideRelease(state, sample, 1100).kind, ReleaseKind::SpringToTop);
    EXPECT_EQ(SpringGoalTop(0), 0);
}

TEST(KineticPhysics, SpringBackGoalsRespectTheHeader) {
    EXPECT_EQ(SpringGoalTop(30), -30);
    EXPECT_EQ(SpringGoalBottom(50, 20, 200, 30), 800);
    EXPECT_EQ(SpringGoalBottom(3, 20, 200, 30), -30) << "header and rows fit: the header stays in view";
    EXPECT_EQ(SpringGoalBottom(9, 20, 200, 30), -20) << "they do not: the last row at the bottom";

    for (int goal : {-30, 0, 800}) {
        for (int from : {-150, -31, 1, 799, 801, 1200}) {
            int position = from, steps = 0;
            while (position != goal && steps < 100) {
                const int next = SpringStep(position, goal);
                ASSERT_LE(std::abs(goal - next), std::abs(goal - position) - 1) << "each step gets closer";
                ASSERT_GE((next - goal) * (from - goal), 0) << "and never passes the goal";
                position = next;
                ++steps;
            }
            EXPECT_EQ(position, goal);
            EXPECT_LT(steps, 30);
        }
    }
}

// Runs a fling to its end; the furthest position reached past the end it ran towards.
int Overshoot(int position, int velocity, int bottom, int header, int client, int& steps) {
    const FlingPlan plan = PlanFling(position, velocity, 1, 96, bottom, header, client);
    steps = 0;
    while (position != plan.target) {
        const int next = FlingStep(position, plan);
        if (next == position) break;
        EXPECT_EQ(next > position, plan.down) << "a fling keeps its direction";
        position = next;
        ++steps;
        if (FlingLeftEnd(position, plan)) break;
    }
    return plan.down ? position - bottom : -header - position;
}

TEST(KineticPhysics, AFlingEasesOutAndNeverCarriesTwoThirdsOfTheWindowPastAnEnd) {
    const FlingPlan plan = PlanFling(100, 9000, 1, 96, 5000, 0, 300);
    EXPECT_EQ(plan.target, 1100) << "capped at 1000 px/s, one second of travel";
    EXPECT_EQ(FlingStep(100, plan), 100 + (1000 * 1700 + 10553) / 10000);
    EXPECT_EQ(PlanFling(100, -9000, 1, 192, 5000, 0, 300).target, 100 - 4000);

    int steps = 0;
    EXPECT_EQ(Overshoot(1000, 400, 5000, 0, 300, steps), 1400 - 5000) << "well inside: rests at the target";
    EXPECT_GT(steps, 10) << "in many small steps";

    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        const int client = std::uniform_int_distribution<int>(1, 640)(random);
        const int bottom = std::uniform_int_distribution<int>(0, 3000)(random);
        const int header = std::uniform_int_distribution<int>(0, 1)(random) * 25;
        const int from = std::uniform_int_distribution<int>(-header, bottom)(random);
        const int velocity = std::uniform_int_distribution<int>(-100000, 100000)(random);
        ASSERT_LE(Overshoot(from, velocity, bottom, header, client, steps), (2 * client) / 3)
            << from << " at " << velocity << " px/s";
    }
}

TEST(KineticPhysics, ScrollCommandsNeverShowTheHeader) {
    EXPECT_EQ(ClampScrollPosition(-30, 800), 0);
    EXPECT_EQ(ClampScrollPosition(900, 800), 800);
    EXPECT_EQ(ClampScrollPosition(50, -5), 0);
    EXPECT_EQ(BottomPosition(3, 20, 200), 0);
    EXPECT_EQ(BottomPosition(50, 20, 200), 800);
}

TEST(KineticPhysics, NavigationKeysMoveTheSelectionAndScrollOnlyWhenItLeavesTheWindow) {
    // 50 rows of 20 in a window of 100: five rows to a page.
    KeyState state{0, 50, 20, 0, 100};
    KeyMove move = MoveByKey(VK_UP, state);
    EXPECT_EQ(move.select, 0);
    EXPECT_EQ(move.command, SB_TOP) << "up at the first row shows the very top";
    EXPECT_EQ(move.selectFlag, 1);

    state.selection = 4;
    move = MoveByKey(VK_DOWN, state);
    EXPECT_EQ(move.select, 5);
    ASSERT_TRUE(move.scroll);
    EXPECT_EQ(move.position, 20) << "row 5 becomes the last of the page";

    state = {10, 50, 20, 0, 100};
    move = MoveByKey(VK_UP, state);
    EXPECT_EQ(move.select, 9);
    EXPECT_EQ(move.position, 180) << "a hidden row above becomes the top row";

    state = {7, 50, 20, 80, 100};
    move = MoveByKey(VK_DOWN, state);
    EXPECT_FALSE(move.scroll) << "row 8 is in view";
    move = MoveByKey(VK_PRIOR, state);
    EXPECT_EQ(move.select, 3);
    EXPECT_EQ(move.position, 60);
    EXPECT_EQ(move.selectFlag, 0);
    move = MoveByKey(VK_NEXT, state);
    EXPECT_EQ(move.select, 11);
    EXPECT_EQ(move.position, 140);
    state.selection = 49;
    EXPECT_EQ(MoveByKey(VK_NEXT, state).select, -1) << "nothing after the last row";
    state.selection = 0;
    EXPECT_EQ(MoveByKey(VK_PRIOR, state).select, -1);

    move = MoveByKey(VK_END, state);
    EXPECT_EQ(move.select, 49);
    EXPECT_TRUE(move.commandFirst);
    EXPECT_EQ(move.command, SB_BOTTOM);
    move = MoveByKey(VK_HOME, state);
    EXPECT_EQ(move.select, 0);
    EXPECT_FALSE(move.commandFirst);

    state.selection = -1;
    EXPECT_EQ(MoveByKey(VK_DOWN, state).select, 0) << "down from no selection picks the first row";
    EXPECT_TRUE(MoveByKey(VK_LEFT, state).handled);
    EXPECT_EQ(MoveByKey(VK_LEFT, state).select, -1);
    EXPECT_FALSE(MoveByKey('5', state).handled) << "other keys are the parent's";
    state.itemCount = 0;
    EXPECT_EQ(MoveByKey(VK_DOWN, state).select, -1) << "an empty list has nothing to select";
}

TEST(KineticPhysics, TheOverlayThumbRunsTheTrackAndShrinksPastTheEnds) {
    const KineticMetrics metrics = ScaleKineticMetrics(96, 96);
    const ThumbSpan track = TrackOf(300, metrics);
    EXPECT_EQ(track.top, 19);
    EXPECT_EQ(track.height, 300 - 38);

    // 1000 px of rows in a 300 px window.
    ScrollRange range{0, 999, 300, 0};
    EXPECT_EQ(OverlayThumb(range, track, 24).top, track.top);
    range.position = 700;
    ThumbSpan thumb = OverlayThumb(range, track, 24);
    EXPECT_EQ(thumb.top + thumb.height, track.top + track.height) << "at the bottom it meets the track's end";
    range.position = 850;
    thumb = OverlayThumb(range, track, 24);
    EXPECT_EQ(thumb.height, 24 - 150 * 24 / 300);
    EXPECT_EQ(thumb.top + thumb.height, track.top + track.height);
    range.position = -60;
    thumb = OverlayThumb(range, track, 24);
    EXPECT_EQ(thumb.top, track.top);
    EXPECT_EQ(thumb.height, 24 - 60 * 24 / 300);
    range.position = -1000;
    EXPECT_EQ(OverlayThumb(range, track, 24).height, 0);

    // A press maps the track, less half the image at each end, onto the range.
    range.position = 0;
    EXPECT_EQ(OverlayPosition(track.top + 12, range, track, 24), 0);
    EXPECT_EQ(OverlayPosition(track.top + track.height - 12, range, track, 24), 699);
    EXPECT_EQ(OverlayPosition(0, range, track, 24), 0) << "clamped";
    EXPECT_EQ(OverlayPosition(299, range, track, 24, 500), 999) << "clamped with the grab offset too";

    EXPECT_EQ(FadeAlpha(0, false), 180);
    EXPECT_EQ(FadeAlpha(1, false), 144);
    EXPECT_EQ(FadeAlpha(0, true), 255);
    EXPECT_EQ(FadeAlpha(5, false), 0);
}

TEST(KineticPhysics, TheClassicThumbShrinksToItsMinimumAndFollowsTheFinger) {
    const KineticMetrics metrics = ScaleKineticMetrics(96, 96);
    const ThumbSpan track = TrackOf(300, metrics);
    ThumbSpan thumb = ClassicThumb({0, 349, 300, 0}, track, metrics.classicMinThumb);
    EXPECT_EQ(thumb.height, track.height - 49 / 2);
    thumb = ClassicThumb({0, 99999, 300, 0}, track, metrics.classicMinThumb);
    EXPECT_EQ(thumb.height, metrics.classicMinThumb);
    thumb = ClassicThumb({0, 99999, 300, 99700}, track, metrics.classicMinThumb);
    EXPECT_EQ(thumb.top + thumb.height, track.top + track.height);

    const ScrollRange range{0, 999, 300, 100};
    const int room = track.height - 100;
    EXPECT_EQ(ClassicDragPosition(100, room / 2, range, track, 100), 100 + 699 * (room / 2) / room);
    EXPECT_EQ(ClassicDragPosition(100, -1000, range, track, 100), 0);
}

} // namespace
