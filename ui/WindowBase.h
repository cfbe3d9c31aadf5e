#pragma once
// Base of every window of the program: binds the platform window to its object through the window's
// user data and sends every message to the object's virtual procedure.
#include "foundation/WString.h"

#include <windows.h>

class WindowBase {
public:
    WindowBase() = default;
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;
    virtual ~WindowBase();

    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnSettingChange(WPARAM wParam, LPARAM lParam);
    virtual void OnActivate(WPARAM wParam, LPARAM lParam);
    // Fits the window to the part of the screen that the input panel and the soft-key bar leave free.
    virtual void FitToDesktop();

    // Registers a class whose procedure dispatches to the object; only while there is no window.
    void RegisterWindowClass(const wchar_t* name, HBRUSH background);
    // Creates the window at x 0; registers the default class "OrvSWndCls" first if none is.
    HWND Create(const wchar_t* title, DWORD style, int y, int width, int height, HWND parent);

    HWND Window = nullptr; // null while there is no window
    int FitDesktop = 0;    // set by derived classes that keep themselves fitted
    WString ClassName;     // the registered class, empty until one is

    static constexpr wchar_t DefaultClassName[] = L"OrvSWndCls";

private:
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// Moves window onto the visible desktop that the input panel leaves, keeping the soft-key bar's
// height (or, without a bar, the status bar's) free at the bottom while the panel is down.
void FitWindowToDesktop(HWND window, HWND softKeyBar);
