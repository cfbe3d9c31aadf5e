#pragma once
// Base of every window of the program: binds the platform window to its object through the window's
// user data from WM_NCCREATE to WM_NCDESTROY, and sends every message to the object's procedure, whose
// base calls the typed handlers of MessageHandlers and leaves the rest to DefWindowProc.
#include "foundation/WString.h"
#include "ui/MessageHandlers.h"

#include <windows.h>

class WindowBase : public MessageHandlers {
public:
    WindowBase() = default;
    // Destroys the window when it still exists.
    ~WindowBase() override;

    // The object's window procedure: the typed handlers, then DefWindowProc.
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Registers a class whose procedure dispatches to the object; only while there is no window.
    void RegisterWindowClass(const wchar_t* name, HBRUSH background);
    // Creates the window at x 0; registers the default class "OrvSWndCls" first if none is.
    HWND Create(const wchar_t* title, DWORD style, int y, int width, int height, HWND parent);
    // Destroys the window while the whole object still handles its messages: derived classes with
    // clean-up of their own call it from their destructor.
    void Destroy();

    HWND Window = nullptr; // null while there is no window (cleared once WM_DESTROY is handled)
    WString ClassName;     // the registered class, empty until one is

    static constexpr wchar_t DefaultClassName[] = L"OrvSWndCls";

protected:
    HWND Handle() const override { return Window; }
    HWND SoftKeyBar() const override;

private:
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
