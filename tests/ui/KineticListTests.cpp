// The kinetic list as a real window: what taps, drags, holds, keys and the scroll bar make of it, and
// what it asks its owner to draw.
#include "ui/KineticList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Runs the thread's messages for ms milliseconds.
void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

// Runs messages until done() holds or two seconds pass.
template <class Done> bool PumpUntil(Done done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 2000) return false;
        Pump(10);
    }
    return true;
}

class Parent : public WindowBase {
public:
    std::vector<UINT> keys;

protected:
    bool OnKeyDown(UINT key, LPARAM) override {
        keys.push_back(key);
        return true;
    }
};

class Owner : public KineticListOwner {
public:
    void DrawItem(HWND, HDC dc, int index, const RECT& rect, int selected) override {
        drawn.push_back(index);
        FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(selected ? BLACK_BRUSH : WHITE_BRUSH)));
    }
    void OnItemTapped(HWND, int index, int previous, POINT) override { taps.emplace_back(index, previous); }
    void OnSelectionChanged(HWND, int row, int flag) override { changes.emplace_back(row, flag); }
    void OnLongPress(HWND, int row, POINT) override { holds.push_back(row); }
    void OnHeaderTapped(HWND, POINT) override { ++headerTaps; }
    void OnActionKeyUp(HWND) override { ++actionKeyUps; }
    int CanSelect(HWND, int row) override { return row != refused; }

    std::vector<int> drawn;
    std::vector<std::pair<int, int>> taps, changes;
    std::vector<int> holds;
    int headerTaps = 0, actionKeyUps = 0, refused = -1;
};

// 50 rows of 20 pixels in a list of 200 × 300 (its border leaves a client area of 198 × 298).
class KineticListWindow : public ::testing::Test {
protected:
    void SetUp() override {
        parent.Create(L"", WS_POPUP | WS_VISIBLE, 0, 240, 320, nullptr);
        ASSERT_TRUE(parent.Window);
        list.owner = &owner;
        list.itemHeight = 20;
        list.bounds = {200, 300, 0, 0};
        list.fillHeight = 1;
    }
    void Open(HBITMAP image) {
        ASSERT_TRUE(list.Create(parent.Window, image));
        ShowWindow(list.Window, SW_SHOW);
        list.SetItemCount(50);
    }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
        return SendMessageW(list.Window, message, wParam, lParam);
    }
    void Down(int x, int y) { Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Move(int x, int y) { Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Up(int x, int y) { Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    void Key(UINT key) { Send(WM_KEYDOWN, key, 1); }

    ScopedBitmap indicatorImage{CreateBitmap(6, 24, 1, 32, nullptr)};
    HBITMAP indicator = indicatorImage.Get();
    Parent parent;
    Owner owner;
    KineticList list;
};

TEST_F(KineticListWindow, ATapSelectsAndOnlyAMoveBeyondTheThresholdDrags) {
    Open(indicator);
    EXPECT_EQ(list.selection, 0);
    EXPECT_EQ(*std::max_element(owner.drawn.begin(), owner.drawn.end()), 14) << "only visible rows are drawn";

    Down(50, 65);
    Up(50, 65);
    EXPECT_EQ(list.selection, 3);
    EXPECT_EQ(owner.taps, (std::vector<std::pair<int, int>>{{3, 0}}));

    Down(50, 100);
    Move(50, 90);
    EXPECT_EQ(list.dragging, 0) << "10 pixels start no drag";
    Move(50, 89);
    EXPECT_EQ(list.dragging, 1);
    EXPECT_EQ(list.scrollPos, 0) << "the move that starts a drag scrolls nothing";
    Move(50, 79);
    EXPECT_EQ(list.scrollPos, 21) << "the finger's whole way from the press";
    Sleep(500);
    Up(50, 79);
    EXPECT_EQ(owner.taps.size(), 1u) << "a drag is no tap";
    EXPECT_EQ(list.scrollPos, 21) << "a slow release leaves the list where it is";
    EXPECT_TRUE(list.scrollBar.Shown());
    EXPECT_TRUE(PumpUntil([&] { return !list.scrollBar.Shown(); })) << "the indicator fades out";
    EXPECT_EQ(list.scrollBar.FadeStep(), 5);
}

TEST_F(KineticListWindow, PulledPastTheTopItShowsTheGapAndSpringsBack) {
    Open(indicator);
    Down(50, 100);
    Move(50, 111);
    owner.drawn.clear();
    Move(50, 160);
    EXPECT_EQ(list.scrollPos, -30) << "60 pixels past the top count half";
    EXPECT_NE(std::find(owner.drawn.begin(), owner.drawn.end(), -1), owner.drawn.end()) << "the gap is drawn";
    Up(50, 160);
    EXPECT_TRUE(PumpUntil([&] { return list.scrollPos == 0; }));

    // The same with a header: the list comes back to show it.
    list.headerFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    list.headerText = L"Header";
    list.Relayout(true);
    list.SetItemCount(50);
    ASSERT_GT(list.headerHeight, 0);
    EXPECT_EQ(list.scrollPos, -list.headerHeight) << "a new count shows the header";
    Down(50, 2);
    Up(50, 2);
    EXPECT_EQ(owner.headerTaps, 1);
    Down(50, 100);
    Move(50, 111);
    Move(50, 211);
    Up(50, 211);
    EXPECT_TRUE(PumpUntil([&] { return list.scrollPos == -list.headerHeight; }));
}

TEST_F(KineticListWindow, AFlingGlidesAndAQueuedPressStopsIt) {
    Open(indicator);
    list.scrollPos = 100;
    list.sample.velocity = 60;
    PostMessageW(parent.Window, WM_LBUTTONDOWN, 0, 0);
    Send(KineticList::FlingMessage, 0, 0);
    EXPECT_EQ(list.scrollPos, 100) << "a press waiting in the queue ends the fling at once";
    Pump(20);

    const DWORD start = GetTickCount();
    Send(KineticList::FlingMessage, 0, 0);
    EXPECT_EQ(list.scrollPos, 160) << "one second of the flick's speed";
    EXPECT_GT(GetTickCount() - start, 5 * KineticList::FlingStepMs) << "in paced steps";

    const int bottom = 1000 - 298;
    list.scrollPos = bottom - 10;
    list.sample.velocity = 900;
    Send(KineticList::FlingMessage, 0, 0);
    EXPECT_GT(list.scrollPos, bottom) << "the fling carries past the end";
    EXPECT_LE(list.scrollPos, bottom + 2 * 298 / 3);
    EXPECT_TRUE(PumpUntil([&] { return list.scrollPos == bottom; })) << "and springs back";
}

TEST_F(KineticListWindow, HoldingARowReportsItAndMovingAwayCancels) {
    list.longPressEnabled = 1;
    Open(indicator);
    Down(50, 45);
    Pump(KineticList::HoldMs + 200);
    EXPECT_EQ(owner.holds, std::vector<int>{2});
    EXPECT_EQ(list.selection, 2);
    EXPECT_NE(GetCapture(), list.Window) << "the hold lets the pen go";
    Up(50, 45);
    EXPECT_TRUE(owner.taps.empty()) << "the release after a hold is no tap";

    Down(50, 45);
    Move(53, 45);
    Pump(KineticList::HoldMs + 200);
    Up(53, 45);
    EXPECT_EQ(owner.holds.size(), 1u) << "3 pixels aside cancel the hold";
    EXPECT_EQ(owner.taps.size(), 1u);
}

TEST_F(KineticListWindow, KeysMoveTheSelectionPassTheRestOnAndDropQueuedRepeats) {
    Open(nullptr);
    Key(VK_DOWN);
    EXPECT_EQ(list.selection, 1);
    EXPECT_EQ(owner.changes.back(), std::make_pair(1, 1));
    Key(VK_END);
    EXPECT_EQ(list.selection, 49);
    EXPECT_EQ(list.scrollPos, 1000 - 298);
    EXPECT_EQ(owner.changes.back(), std::make_pair(49, 0));
    Key(VK_HOME);
    EXPECT_EQ(list.scrollPos, 0);

    Key('7');
    EXPECT_EQ(parent.keys, std::vector<UINT>{'7'}) << "other keys go to the parent";

    for (int i = 0; i < 5; ++i) PostMessageW(list.Window, WM_KEYDOWN, VK_DOWN, i ? 1 | 1 << 30 : 1);
    PostMessageW(list.Window, WM_KEYUP, VK_DOWN, 1);
    PostMessageW(list.Window, WM_KEYDOWN, 'K', 1);
    Pump(20);
    EXPECT_EQ(list.selection, 1) << "repeats queued before the release are dropped";
    EXPECT_EQ(parent.keys.back(), 'K') << "a new key pressed meanwhile is not";

    Key(VK_RETURN);
    Send(WM_KEYUP, VK_RETURN, 1);
    EXPECT_EQ(owner.actionKeyUps, 1);
    EXPECT_EQ(Send(WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
}

TEST_F(KineticListWindow, TheClassicBarRepeatsItsArrowAndTheOverlayJumpsToThePress) {
    Open(nullptr);
    RECT client;
    GetClientRect(list.Window, &client);
    EXPECT_TRUE(list.scrollBar.Visible());
    Down(client.right - 3, client.bottom - 3);
    EXPECT_EQ(list.scrollPos, 20) << "the down arrow scrolls a row at once";
    Pump(350);
    Up(client.right - 3, client.bottom - 3);
    EXPECT_GE(list.scrollPos, 60) << "and repeats while held";
    const int held = list.scrollPos;
    Pump(250);
    EXPECT_EQ(list.scrollPos, held) << "the release stops the repeat";

    KineticList overlay;
    overlay.owner = &owner;
    overlay.itemHeight = 20;
    overlay.bounds = {200, 300, 0, 0};
    overlay.fillHeight = 1;
    ASSERT_TRUE(overlay.Create(parent.Window, indicator));
    ShowWindow(overlay.Window, SW_SHOW);
    overlay.SetItemCount(50);
    SendMessageW(overlay.Window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right - 5, client.bottom - 5));
    EXPECT_EQ(overlay.scrollPos, 1000 - 298) << "a press low in the touch zone jumps to the end";
    EXPECT_TRUE(overlay.scrollBar.Shown());
    SendMessageW(overlay.Window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(client.right - 5, 0));
    EXPECT_EQ(overlay.scrollPos, 0) << "the held thumb follows the finger";
    SendMessageW(overlay.Window, WM_LBUTTONUP, 0, MAKELPARAM(client.right - 5, 0));
    EXPECT_TRUE(owner.taps.empty()) << "the bar's presses are no taps";
}

TEST_F(KineticListWindow, ARefusedFirstRowLeavesNothingSelected) {
    owner.refused = 0;
    Open(nullptr);
    EXPECT_EQ(list.selection, -1);
    Down(50, 5);
    Up(50, 5);
    EXPECT_EQ(list.selection, -1) << "a tap does not select a refused row";
    EXPECT_EQ(owner.taps.size(), 1u) << "but is still reported";
}

} // namespace
