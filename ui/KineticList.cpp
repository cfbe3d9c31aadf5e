#include "ui/KineticList.h"

#include "platform/PhoneShell.h"
#include "ui/ScreenMetrics.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr UINT ActionKey = 0x86;

int ScreenDpi(int dpi) {
    return dpi ? dpi : 96;
}

bool Meets(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

KineticList::~KineticList() {
    owner = nullptr;
    Destroy();
}

LRESULT KineticList::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (owner && owner->PreTranslate(window, message, wParam, lParam, result)) return result;
    return WindowBase::WindowProc(window, message, wParam, lParam);
}

bool KineticList::Create(HWND parent, HBITMAP scrollImage) {
    if (Window) return true;
    metrics_ = ScaleKineticMetrics(ScreenDpi(ScreenMetrics.DpiX), ScreenDpi(ScreenMetrics.DpiY));
    scrollImage_ = scrollImage;
    if (!WindowBase::Create(L"", WS_CHILD | WS_BORDER, bounds.y, bounds.width, bounds.height, parent))
        return false;
    Place();
    if (selection >= 0 && owner && !owner->CanSelect(Window, selection)) selection = -1;
    if (owner) owner->OnSelectionChanged(Window, selection, 0);
    return true;
}

int KineticList::OnCreate(const CREATESTRUCTW&) {
    scrollBar.Setup(Window, scrollImage_, metrics_);
    return 0;
}

void KineticList::SetItemCount(int count) {
    selection = count > 0 ? 0 : -1;
    scrollPos = -headerHeight;
    itemCount = std::max(0, count);
    if (selection == 0 && owner && Window && !owner->CanSelect(Window, 0)) selection = -1;
    Place();
    Relayout(true);
    Repaint();
}

void KineticList::Place() {
    if (!Window) return;
    int height = bounds.height;
    if (!fillHeight) {
        int rows = itemCount * itemHeight;
        if (GetWindowLongW(Window, GWL_STYLE) & WS_BORDER) rows += 2 * GetSystemMetrics(SM_CYBORDER);
        height = std::min(height, rows);
    }
    SetWindowPos(Window, nullptr, bounds.x, bounds.y, bounds.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int KineticList::ClientHeight() const {
    RECT client = {};
    if (Window) GetClientRect(Window, &client);
    return client.bottom;
}

int KineticList::RowsWidth(const RECT& client) const {
    return client.right - scrollBar.ColumnWidth();
}

int KineticList::MeasureHeader(int width) {
    if (headerText.IsEmpty()) return 0;
    const wchar_t* text = headerText;
    const int length = headerText.GetLength();
    if (text == measuredText_ && length == measuredLength_ && width == measuredWidth_ &&
        headerFont == measuredFont_ && headerFormat == measuredFormat_)
        return measuredHeight_;
    ScopedWindowDC dc(Window);
    ScopedSelect font(dc.Get(), headerFont);
    RECT rect = {0, 0, std::max(0, width - 2 * metrics_.headerInset), 0};
    DrawTextW(dc.Get(), text, length, &rect, headerFormat | DT_CALCRECT);
    measuredText_ = text;
    measuredLength_ = length;
    measuredWidth_ = width;
    measuredFont_ = headerFont;
    measuredFormat_ = headerFormat;
    measuredHeight_ = HeaderHeight(rect.bottom - rect.top, metrics_);
    return measuredHeight_;
}

void KineticList::Relayout(bool force) {
    if (!Window) return;
    RECT client;
    GetClientRect(Window, &client);
    headerHeight = MeasureHeader(client.right);
    const int rows = itemCount * itemHeight;
    lastPixel = std::max(0, rows - 1);
    const int visible = std::min(rows, static_cast<int>(client.bottom));
    if (force || !scrollBar.Overlay() || !elastic)
        scrollPos = std::max(std::min(scrollPos, lastPixel - visible + 1), -headerHeight);
    scrollBar.SetRange({0, lastPixel, visible, scrollPos});
}

void KineticList::Repaint() {
    if (!Window) return;
    InvalidateRect(Window, nullptr, FALSE);
    UpdateWindow(Window);
}

void KineticList::RepaintBar() {
    if (!Window) return;
    RECT client;
    GetClientRect(Window, &client);
    const RECT bar = scrollBar.BarRect(client);
    InvalidateRect(Window, &bar, FALSE);
    UpdateWindow(Window);
}

int KineticList::RowAt(int y) const {
    if (itemHeight <= 0) return -1;
    const int content = y + scrollPos;
    if (content < 0) return -1;
    const int row = content / itemHeight;
    return row < itemCount ? row : -1;
}

RECT KineticList::RowRect(int row) const {
    RECT client = {};
    if (Window) GetClientRect(Window, &client);
    const int top = row * itemHeight - scrollPos;
    return {0, top, RowsWidth(client), top + itemHeight};
}

void KineticList::SelectRow(int row, int flag) {
    if (row < 0 || row >= itemCount || row == selection) return;
    if (owner && !owner->CanSelect(Window, row)) return;
    const int old = selection;
    selection = row;
    if (Window) {
        if (old >= 0) {
            const RECT oldRect = RowRect(old);
            InvalidateRect(Window, &oldRect, FALSE);
        }
        const RECT newRect = RowRect(row);
        InvalidateRect(Window, &newRect, FALSE);
        UpdateWindow(Window);
    }
    if (owner) owner->OnSelectionChanged(Window, row, flag);
}

bool KineticList::HoldsCapture() const {
    return Window && GetCapture() == Window;
}

void KineticList::StopHold() {
    StopTimer(HoldTimer);
    longPressArmed = 0;
    actionKeyDown = 0;
    MSG message;
    while (Window && PeekMessageW(&message, Window, WM_TIMER, WM_TIMER, PM_NOREMOVE) &&
           message.wParam == HoldTimer)
        PeekMessageW(&message, Window, WM_TIMER, WM_TIMER, PM_REMOVE);
}

void KineticList::ArmHold(POINT point) {
    StartTimer(HoldTimer, HoldMs);
    longPressArmed = 1;
    platform::SHRGINFO gesture = {sizeof gesture, Window, point, platform::SHRG_RETURNCMD};
    platform::SHRecognizeGesture(&gesture);
}

void KineticList::LongPress() {
    StopHold();
    if (HoldsCapture()) ReleaseCapture();
    const int row = RowAt(pressPoint.y);
    if (row >= 0) SelectRow(row, 0);
    if (owner) owner->OnLongPress(Window, row, pressPoint);
}

void KineticList::ShowIndicator() {
    if (!scrollBar.Overlay()) return;
    StopTimer(IndicatorFadeTimer);
    scrollBar.Show();
    RepaintBar();
}

void KineticList::HideIndicator() {
    if (scrollBar.Overlay() && scrollBar.Hide()) StartTimer(IndicatorFadeTimer, IndicatorFadeMs);
}

bool KineticList::OnPenDown(int x, int y) {
    if (scrollBar.Press(x, y)) {
        if (scrollBar.Repeating()) StartTimer(ScrollRepeatTimer, ScrollRepeatMs);
        if (scrollBar.Overlay())
            ShowIndicator();
        else
            RepaintBar();
        return true;
    }
    const int row = RowAt(y);
    SetCapture(Window);
    if (longPressEnabled && !longPressArmed) ArmHold({x, y});
    pressPoint = {x, y};
    dragging = 0;
    if (owner) owner->OnPress(Window, row);
    StartSample(sample, GetTickCount(), scrollPos);
    return true;
}

bool KineticList::OnPenMove(int x, int y) {
    if (scrollBar.Drag(x, y)) return true;
    if (!HoldsCapture()) return false;
    if (longPressArmed &&
        (std::abs(x - pressPoint.x) > metrics_.holdSlopX || std::abs(y - pressPoint.y) > metrics_.holdSlopY))
        StopHold();
    if (!dragging) {
        if (std::abs(y - pressPoint.y) <= metrics_.dragThreshold) return true;
        dragging = 1;
        ShowIndicator();
        return true;
    }
    scrollPos = DragStep(scrollPos, pressPoint.y - y, BottomPosition(itemCount, itemHeight, ClientHeight()));
    pressPoint.y = y;
    UpdateSample(sample, GetTickCount(), scrollPos);
    Relayout(false);
    Repaint();
    return true;
}

bool KineticList::OnPenUp(int x, int y) {
    if (scrollBar.Release()) {
        StopTimer(ScrollRepeatTimer);
        if (scrollBar.Overlay())
            HideIndicator();
        else
            RepaintBar();
        return true;
    }
    StopHold();
    if (!HoldsCapture()) return true;
    ReleaseCapture();
    const int clientHeight = ClientHeight();
    const ReleaseState state{scrollPos,    headerHeight,  itemCount,    itemHeight,
                             clientHeight, dragging != 0, pressPoint.y, y};
    const ReleaseOutcome outcome = DecideRelease(state, sample, GetTickCount());
    switch (outcome.kind) {
    case ReleaseKind::SpringToTop:
        PostMessageW(Window, SpringTopMessage, 0, 0);
        break;
    case ReleaseKind::SpringToBottom:
        PostMessageW(Window, SpringBottomMessage, 0, 0);
        break;
    case ReleaseKind::Tap:
        Tap({x, y});
        break;
    case ReleaseKind::Rest:
        if (outcome.position != scrollPos) {
            scrollPos = outcome.position;
            Relayout(false);
            Repaint();
        }
        // The release's own last move may have carried the list past an end.
        if (scrollPos < -headerHeight)
            PostMessageW(Window, SpringTopMessage, 0, 0);
        else if (scrollPos > BottomPosition(itemCount, itemHeight, clientHeight))
            PostMessageW(Window, SpringBottomMessage, 0, 0);
        else
            HideIndicator();
        break;
    case ReleaseKind::Fling:
        scrollPos = outcome.position;
        PostMessageW(Window, FlingMessage, 0, 0);
        break;
    }
    return true;
}

void KineticList::Tap(POINT point) {
    const int row = RowAt(point.y);
    if (row >= 0) {
        const int previous = selection;
        SelectRow(row, 0);
        const int clientHeight = ClientHeight();
        if (selection == row && RowRect(row).bottom > clientHeight)
            ScrollTo((row + 1) * itemHeight - clientHeight);
        if (owner) owner->OnItemTapped(Window, row, previous, point);
    } else if (headerHeight > 0 && point.y < -scrollPos) {
        if (owner) owner->OnHeaderTapped(Window, point);
    }
}

bool KineticList::PressWaiting() const {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE | PM_NOYIELD);
}

void KineticList::Fling() {
    const int clientHeight = ClientHeight();
    FlingPlan plan =
        PlanFling(scrollPos, sample.velocity, flingScale, ScreenDpi(ScreenMetrics.DpiY),
                  BottomPosition(itemCount, itemHeight, clientHeight), headerHeight, clientHeight);
    plan.rate = easeRate;
    plan.bias = easeBias;
    while (scrollPos != plan.target) {
        if (PressWaiting()) {
            const int before = scrollPos;
            Relayout(true);
            if (scrollPos != before) Repaint();
            HideIndicator();
            return;
        }
        const DWORD begin = GetTickCount();
        const int next = FlingStep(scrollPos, plan);
        if (next == scrollPos) break;
        scrollPos = next;
        Relayout(false);
        Repaint();
        // The pace of the glide; the thread has nothing else to do meanwhile.
        while (GetTickCount() - begin < FlingStepMs) Sleep(1);
        if (FlingLeftEnd(scrollPos, plan)) {
            PostMessageW(Window, plan.down ? SpringBottomMessage : SpringTopMessage, 0, 0);
            return;
        }
    }
    HideIndicator();
}

void KineticList::SpringBack(int goal) {
    while (scrollPos != goal) {
        scrollPos = PressWaiting() ? goal : SpringStep(scrollPos, goal);
        scrollBar.SetPosition(scrollPos);
        Repaint();
    }
    HideIndicator();
}

void KineticList::ScrollTo(int position) {
    Scroll(ScrollToCommand, 0, position);
}

void KineticList::Scroll(WORD command, int high, LPARAM lParam) {
    if (!Window) return;
    RECT client;
    GetClientRect(Window, &client);
    int target;
    switch (command) {
    case SB_LINEUP:
        target = scrollPos - itemHeight;
        break;
    case SB_LINEDOWN:
        target = scrollPos + itemHeight;
        break;
    case SB_PAGEUP:
        target = scrollPos - std::max(1, static_cast<int>(client.bottom));
        break;
    case SB_PAGEDOWN:
        target = scrollPos + std::max(1, static_cast<int>(client.bottom));
        break;
    case SB_THUMBTRACK:
        target = high;
        break;
    case SB_TOP:
        target = -headerHeight;
        break;
    case SB_BOTTOM:
        target = lastPixel;
        break;
    case ScrollByCommand:
        target = scrollPos + high;
        break;
    case ScrollToCommand:
        target = static_cast<int>(lParam);
        break;
    default:
        return;
    }
    target = ClampScrollPosition(target, BottomPosition(itemCount, itemHeight, client.bottom));
    if (target != scrollPos) {
        const int old = scrollPos;
        scrollPos = target;
        if (scrollBar.Overlay()) {
            InvalidateRect(Window, nullptr, FALSE);
        } else {
            // The rows' pixels move; only the uncovered strip and the bar are drawn again.
            const RECT rows = {0, 0, RowsWidth(client), client.bottom};
            ScrollWindowEx(Window, 0, old - target, &rows, &rows, nullptr, nullptr,
                           SW_INVALIDATE | SW_SCROLLCHILDREN);
            const RECT bar = scrollBar.BarRect(client);
            InvalidateRect(Window, &bar, FALSE);
        }
    }
    scrollBar.SetPosition(scrollPos);
    UpdateWindow(Window);
}

void KineticList::ScrollIntoView(int row) {
    const RECT rect = RowRect(row);
    const int clientHeight = ClientHeight();
    if (rect.top < 0)
        ScrollTo(row * itemHeight);
    else if (rect.bottom > clientHeight)
        ScrollTo((row + 1) * itemHeight - clientHeight);
}

bool KineticList::OnKeyDown(UINT key, LPARAM flags) {
    if (!(owner && owner->OnKeyDown(Window, key, selection))) HandleKey(key, flags);
    DropKeyRepeats(key);
    return true;
}

void KineticList::HandleKey(UINT key, LPARAM flags) {
    if (key == VK_RETURN) {
        // A held key repeats: the hold runs from its first press.
        if (actionKeyDown || HoldsCapture() || selection < 0 || selection >= itemCount) return;
        ScrollIntoView(selection);
        actionKeyDown = 1;
        if (longPressEnabled) {
            const RECT row = RowRect(selection);
            pressPoint = {(row.left + row.right) / 2, (row.top + row.bottom) / 2};
            ArmHold(pressPoint);
        }
        return;
    }
    const KeyMove move = MoveByKey(key, {selection, itemCount, itemHeight, scrollPos, ClientHeight()});
    if (!move.handled) {
        SendMessageW(GetParent(Window), WM_KEYDOWN, key, flags);
        return;
    }
    if (move.commandFirst) Scroll(static_cast<WORD>(move.command), 0, 0);
    if (move.scroll) ScrollTo(move.position);
    if (move.select >= 0) SelectRow(move.select, move.selectFlag);
    if (!move.commandFirst && move.command >= 0) Scroll(static_cast<WORD>(move.command), 0, 0);
}

void KineticList::DropKeyRepeats(UINT key) {
    constexpr LPARAM WasDown = 1 << 30; // a repeat: the key was already down
    MSG message;
    if (!Window || !PeekMessageW(&message, Window, WM_KEYUP, WM_KEYUP, PM_NOREMOVE)) return;
    // Only the held key's own repeats go: a new key pressed meanwhile stays for its turn.
    while (PeekMessageW(&message, Window, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) && message.wParam == key &&
           (message.lParam & WasDown))
        PeekMessageW(&message, Window, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
}

bool KineticList::OnKeyUp(UINT key, LPARAM flags) {
    if ((key == VK_RETURN || key == ActionKey) && actionKeyDown) {
        StopHold();
        if (selection >= 0 && selection < itemCount) {
            const int row = selection;
            if (owner) owner->OnActionKeyUp(Window);
            if (Window) {
                const RECT rect = RowRect(row);
                InvalidateRect(Window, &rect, FALSE);
                UpdateWindow(Window);
            }
        }
        return true;
    }
    SendMessageW(GetParent(Window), WM_KEYUP, key, flags);
    return true;
}

bool KineticList::OnChar(wchar_t character, LPARAM flags) {
    if (owner) owner->OnChar(Window, character, flags);
    return true;
}

void KineticList::OnTimer(UINT_PTR id) {
    switch (id) {
    case HoldTimer:
        LongPress();
        break;
    case ScrollRepeatTimer:
        scrollBar.Repeat();
        break;
    case IndicatorFadeTimer:
        if (!scrollBar.FadeTick()) StopTimer(IndicatorFadeTimer);
        RepaintBar();
        break;
    }
}

void KineticList::OnSize(int, int) {
    Relayout(true);
}

void KineticList::OnActivate(WPARAM wParam, LPARAM lParam) {
    WindowBase::OnActivate(wParam, lParam);
    if (LOWORD(wParam) == WA_INACTIVE && hideOnDeactivate && Window) ShowWindow(Window, SW_HIDE);
}

bool KineticList::OnEraseBackground(HDC) {
    return true;
}

bool KineticList::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_SETFOCUS:
        if (owner) owner->OnSetFocus(Window);
        return true;
    case WM_KILLFOCUS:
        if (owner) owner->OnKillFocus(Window);
        if (hideOnDeactivate && Window) ShowWindow(Window, SW_HIDE);
        return true;
    case WM_CANCELMODE:
        scrollBar.Release();
        StopTimer(ScrollRepeatTimer);
        if (HoldsCapture()) ReleaseCapture();
        StopHold();
        return true;
    case WM_GETDLGCODE:
        result = DLGC_WANTALLKEYS;
        return true;
    case WM_VSCROLL:
        Scroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), lParam);
        return true;
    case FlingMessage:
        Fling();
        return true;
    case SpringTopMessage:
        SpringBack(SpringGoalTop(headerHeight));
        return true;
    case SpringBottomMessage:
        SpringBack(SpringGoalBottom(itemCount, itemHeight, ClientHeight(), headerHeight));
        return true;
    }
    return false;
}

void KineticList::PaintRows(HDC dc, const RECT& client, const RECT& clip, bool rowBuffers) {
    if (!owner) return;
    const int width = RowsWidth(client);
    const int gapBottom = std::min(std::max(0, -scrollPos), static_cast<int>(client.bottom));
    if (gapBottom > 0) {
        const RECT gap = {0, 0, width, gapBottom};
        if (Meets(gap, clip)) {
            owner->DrawItem(Window, dc, -1, gap, 0);
            if (headerHeight > 0 && !headerText.IsEmpty()) {
                RECT text = {metrics_.headerInset, metrics_.headerTop - headerHeight - scrollPos,
                             width - metrics_.headerInset, -scrollPos - metrics_.headerBottom};
                ScopedSelect font(dc, headerFont);
                const int mode = SetBkMode(dc, TRANSPARENT);
                const COLORREF colour = SetTextColor(dc, RGB(0, 0, 0));
                DrawTextW(dc, headerText, headerText.GetLength(), &text, headerFormat);
                SetTextColor(dc, colour);
                SetBkMode(dc, mode);
            }
        }
    }
    const int rowsBottom = itemCount * itemHeight - scrollPos;
    if (itemHeight > 0 && itemCount > 0) {
        const int first = std::max(0, (scrollPos + std::max(0, static_cast<int>(clip.top))) / itemHeight);
        for (int row = first; row < itemCount; ++row) {
            const int top = row * itemHeight - scrollPos;
            if (top >= clip.bottom) break;
            const int selected = row == selection;
            HDC memory = rowBuffers ? rowPaint_.Prepare(dc, width, itemHeight) : nullptr;
            if (memory) {
                owner->DrawItem(Window, memory, row, {0, 0, width, itemHeight}, selected);
                BitBlt(dc, 0, top, width, itemHeight, memory, 0, 0, SRCCOPY);
            } else {
                owner->DrawItem(Window, dc, row, {0, top, width, top + itemHeight}, selected);
            }
            if (top + itemHeight >= clip.bottom) break;
        }
    }
    const RECT below = {0, std::max(rowsBottom, gapBottom), width, client.bottom};
    if (below.top < below.bottom && Meets(below, clip)) owner->DrawItem(Window, dc, -1, below, 0);
}

void KineticList::OnPaint(HDC dc, const RECT& rcPaint) {
    if (scrollBar.Overlay()) {
        paint_.Paint(Window, dc, rcPaint, [&](HDC memory, const RECT& client) {
            PaintRows(memory, client, rcPaint, false);
            scrollBar.PaintOverlay(memory, paint_.SourceContext(memory), client);
        });
        return;
    }
    RECT client;
    GetClientRect(Window, &client);
    scrollBar.PaintClassic(dc, client);
    PaintRows(dc, client, rcPaint, true);
}
