#pragma once
// What windows and dialogs share: typed handlers for the messages the program's windows act on, the
// one dispatcher that calls them, keeping a full-screen window fitted to the free desktop, and timers
// that end with their window.
//
// A derived class overrides the handlers it needs. A handler that returns bool returns true when it
// handled the message; what no handler takes goes to the default procedure of the window or dialog
// (DefWindowProc, or the dialog manager).
#include <windows.h>

class MessageHandlers {
public:
    MessageHandlers() = default;
    MessageHandlers(const MessageHandlers&) = delete;
    MessageHandlers& operator=(const MessageHandlers&) = delete;
    virtual ~MessageHandlers() = default;

    // Called before the procedure sees WM_SETTINGCHANGE: refits when the input panel changed
    // (wParam 224, SPI_SETSIPINFO).
    virtual void OnSettingChange(WPARAM wParam, LPARAM lParam);
    // Called before the procedure sees WM_ACTIVATE: refits unless the window is being deactivated.
    virtual void OnActivate(WPARAM wParam, LPARAM lParam);
    // Fits the window to the part of the screen that the input panel and the soft-key bar leave free,
    // when FitDesktop is set and the window exists.
    virtual void FitToDesktop();

    int FitDesktop = 0; // set by derived classes that keep themselves fitted

protected:
    // The window or dialog, null while there is none.
    virtual HWND Handle() const = 0;
    // The soft-key bar kept free below the window while the input panel is down; null for the status
    // bar's height instead.
    virtual HWND SoftKeyBar() const = 0;

    // WM_CREATE: 0 to go on, -1 to fail the creation.
    virtual int OnCreate(const CREATESTRUCTW& create);
    // WM_DESTROY, while the window still exists. A window destroyed by WindowBase's destructor no longer
    // reaches the derived class: a class with clean-up of its own destroys its window in its destructor.
    virtual void OnDestroy() {}
    // WM_PAINT between BeginPaint and EndPaint: dc is the window's, rcPaint the part to paint.
    virtual void OnPaint(HDC dc, const RECT& rcPaint);
    // WM_ERASEBKGND: true when the background needs no erasing (the paint covers everything).
    virtual bool OnEraseBackground(HDC dc);
    virtual bool OnCommand(int id, int code, HWND from);
    virtual void OnTimer(UINT_PTR id);
    // The pen (the mouse's left button) in client coordinates.
    virtual bool OnPenDown(int x, int y);
    virtual bool OnPenMove(int x, int y);
    virtual bool OnPenUp(int x, int y);
    // Keys: flags is the message's lParam (repeat count, previous state).
    virtual bool OnKeyDown(UINT key, LPARAM flags);
    virtual bool OnKeyUp(UINT key, LPARAM flags);
    virtual bool OnChar(wchar_t character, LPARAM flags);
    virtual void OnSize(int width, int height);
    // Every other message; true with result set when handled.
    virtual bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Starts (or restarts) a timer of the window; every timer started here is stopped when the window
    // is destroyed, however that happens.
    void StartTimer(UINT_PTR id, UINT milliseconds);
    // True when the timer was running.
    bool StopTimer(UINT_PTR id);

    // Calls the handler of message; true with result set when one handled it.
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    // What the window itself needs at WM_DESTROY: its timers stopped and the pen's capture released.
    void EndTimersAndCapture();

    static constexpr int MaxTimers = 8;
    UINT_PTR timers_[MaxTimers] = {};
    int timerCount_ = 0;
};

// Moves window onto the visible desktop that the input panel leaves, keeping the soft-key bar's
// height (or, without a bar, the status bar's) free at the bottom while the panel is down.
void FitWindowToDesktop(HWND window, HWND softKeyBar);
