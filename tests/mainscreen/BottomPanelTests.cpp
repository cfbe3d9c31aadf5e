#include "mainscreen/BottomPanel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool Same(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b);
}

// A strip of frames each filled with its own grey level: frame k is 10 × (k + 1).
HBITMAP Strip(int frames, int width, int height, bool across) {
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    const int w = across ? width * frames : width, h = across ? height : height * frames;
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int k = 0; k < frames; ++k) {
        const BYTE level = static_cast<BYTE>(10 * (k + 1));
        HBRUSH brush = CreateSolidBrush(RGB(level, level, level));
        const RECT frame = across ? RECT{k * width, 0, (k + 1) * width, height}
                                  : RECT{0, k * height, width, (k + 1) * height};
        FillRect(dc, &frame, brush);
        DeleteObject(brush);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

// Records the commands the panel sends, and whether the Menu button showed pressed meanwhile.
class PanelOwner : public WindowBase {
public:
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) {
            Commands.push_back(LOWORD(wParam));
            MenuPressedDuringCommand = Panel->PanelButtons[BottomPanel::Menu].Pressed;
            return 0;
        }
        return WindowBase::WindowProc(window, message, wParam, lParam);
    }
    BottomPanel* Panel = nullptr;
    std::vector<int> Commands;
    int MenuPressedDuringCommand = 0;
};

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

} // namespace

TEST(BottomPanel, PortraitPutsPagesLeftAndMenuAndCloseRight) {
    BottomPanel panel;
    panel.Strip1Width = 6 * 40;
    panel.Strip1Height = 46;
    panel.Strip2Width = 4 * 40;
    panel.Strip2Height = 46;
    panel.CutFrames(false);
    const RECT client = {0, 0, 240, 46};
    EXPECT_TRUE(Same(panel.ButtonRectIn(client, BottomPanel::Back), {0, 0, 40, 46}));
    EXPECT_TRUE(Same(panel.ButtonRectIn(client, BottomPanel::Forward), {40, 0, 80, 46}));
    EXPECT_TRUE(Same(panel.ButtonRectIn(client, BottomPanel::Menu), {160, 0, 200, 46}));
    EXPECT_TRUE(Same(panel.ButtonRectIn(client, BottomPanel::Close), {200, 0, 240, 46}));
    const PanelButton& forward = panel.PanelButtons[BottomPanel::Forward];
    EXPECT_EQ(forward.NormalX, 40);
    EXPECT_EQ(forward.PressedX, 120);
    EXPECT_EQ(forward.DisabledX, 200);
    EXPECT_EQ(panel.PanelButtons[BottomPanel::Close].PressedX, 120);

    // A missing strip takes no room.
    BottomPanel bare;
    bare.CutFrames(false);
    const RECT none = bare.ButtonRectIn(client, BottomPanel::Close);
    EXPECT_TRUE(IsRectEmpty(&none));
}

TEST(BottomPanel, LandscapeStacksThemAndMenuAndCloseTakeTheFullWidth) {
    BottomPanel panel;
    panel.Strip1Width = 40;
    panel.Strip1Height = 6 * 46;
    panel.Strip2Width = 40;
    panel.Strip2Height = 4 * 46;
    panel.CutFrames(true);
    EXPECT_EQ(panel.Strip2Width, 0);
    const RECT client = {0, 0, 40, 400};
    EXPECT_TRUE(Same(panel.ButtonRectIn(client, BottomPanel::Forward), {0, 46, 40, 92}));
    EXPECT_TRUE(Same(panel.ButtonRectIn(client, BottomPanel::Menu), {0, 308, 40, 354}));
    EXPECT_TRUE(Same(panel.ButtonRectIn(client, BottomPanel::Close), {0, 354, 40, 400}));
    EXPECT_EQ(panel.PanelButtons[BottomPanel::Back].DisabledY, 4 * 46);
}

TEST(BottomPanel, PaintsTheFrameOfEachButtonsState) {
    BottomPanel panel;
    panel.Strip1 = Strip(6, 40, 46, true);
    panel.Strip2 = Strip(4, 40, 46, true);
    panel.Strip1Width = 240;
    panel.Strip1Height = panel.Strip2Height = 46;
    panel.Strip2Width = 160;
    panel.CutFrames(false);
    panel.PanelButtons[BottomPanel::Back].Enabled = 0;
    panel.PanelButtons[BottomPanel::Close].Pressed = 1;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = Strip(1, 240, 46, true);
    HGDIOBJ old = SelectObject(dc, canvas);
    const RECT client = {0, 0, 240, 46};
    panel.Paint(dc, client, client);
    EXPECT_EQ(GetPixel(dc, 20, 5), RGB(50, 50, 50));     // Back disabled: frame 4
    EXPECT_EQ(GetPixel(dc, 60, 5), RGB(20, 20, 20));     // Forward normal: frame 1
    EXPECT_EQ(GetPixel(dc, 180, 5), RGB(10, 10, 10));    // Menu normal: frame 0
    EXPECT_EQ(GetPixel(dc, 220, 5), RGB(40, 40, 40));    // Close pressed: frame 3
    EXPECT_EQ(GetPixel(dc, 120, 5), RGB(255, 255, 255)); // the background between them
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
}

class BottomPanelPen : public testing::Test {
protected:
    void SetUp() override {
        owner.Panel = &panel;
        ASSERT_TRUE(owner.Create(L"owner", WS_POPUP, 0, 240, 100, nullptr));
        ASSERT_EQ(panel.CreatePanel(owner.Window), 1);
        panel.Strip1Width = 240;
        panel.Strip2Width = 160;
        panel.Strip1Height = panel.Strip2Height = 46;
        panel.CutFrames(false);
        MoveWindow(panel.Window, 0, 54, 240, 46, FALSE);
    }
    void Send(UINT message, LPARAM at) { SendMessageW(panel.Window, message, 0, at); }

    PanelOwner owner;
    BottomPanel panel;
};

TEST_F(BottomPanelPen, AReleaseOverTheButtonSendsItsCommand) {
    EXPECT_EQ(panel.PanelButtons[BottomPanel::Forward].Caption, L"Вперед");
    Send(WM_LBUTTONDOWN, At(10, 10));
    EXPECT_EQ(panel.PanelButtons[BottomPanel::Back].Pressed, 1);
    Send(WM_MOUSEMOVE, At(100, 10));
    EXPECT_EQ(panel.PanelButtons[BottomPanel::Back].Pressed, 0);
    Send(WM_LBUTTONUP, At(100, 10));
    EXPECT_TRUE(owner.Commands.empty());

    Send(WM_LBUTTONDOWN, At(10, 10));
    Send(WM_MOUSEMOVE, At(100, 10));
    Send(WM_MOUSEMOVE, At(30, 10));
    EXPECT_EQ(panel.PanelButtons[BottomPanel::Back].Pressed, 1);
    Send(WM_LBUTTONUP, At(30, 10));
    EXPECT_EQ(owner.Commands, std::vector<int>{101});
    EXPECT_EQ(panel.PanelButtons[BottomPanel::Back].Pressed, 0);
    EXPECT_EQ(panel.CapturedButton, -1);
}

TEST_F(BottomPanelPen, MenuRunsOnPressAndDisabledButtonsIgnoreThePen) {
    Send(WM_LBUTTONDOWN, At(180, 10));
    EXPECT_EQ(owner.Commands, std::vector<int>{103});
    EXPECT_EQ(owner.MenuPressedDuringCommand, 1);
    EXPECT_EQ(panel.PanelButtons[BottomPanel::Menu].Pressed, 0);

    panel.SetEnabled(BottomPanel::Forward, 0);
    Send(WM_LBUTTONDOWN, At(60, 10));
    Send(WM_LBUTTONUP, At(60, 10));
    Send(WM_LBUTTONDOWN, At(239, 45)); // Close
    Send(WM_LBUTTONUP, At(239, 45));
    EXPECT_EQ(owner.Commands, (std::vector<int>{103, 104}));
}
