#pragma once
// The soft-key bar stand-in: two soft keys along the bottom edge of the window they serve. It stands
// for a window of the phone's shell, so it keeps its own small window procedure rather than using the
// program's window classes.
#include <windows.h>

#include <string>

namespace platform {

class SoftKeyBar {
public:
    // Creates the bar for parent with the first two items of menu (commands and texts); the window owns
    // the object, which goes with it. Null when the window cannot be created.
    static HWND CreateFor(HWND parent, HMENU menu, bool hidden);

    // What a soft, overridden or ordinary key does when it reaches the active window; true when the bar
    // took the key (the window must not see it).
    static bool TakeKey(HWND active, UINT key, bool down, bool repeat);

private:
    struct SoftKey {
        UINT Command = 0;
        std::wstring Text;
    };
    struct KeyOverride {
        UINT Key;
        WORD Flags;
    };

    SoftKeyBar() = default;
    SoftKeyBar(const SoftKeyBar&) = delete;
    SoftKeyBar& operator=(const SoftKeyBar&) = delete;
    ~SoftKeyBar();

    static SoftKeyBar* Of(HWND window);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Keeps the bar under its parent, unless the program has shrunk it to nothing.
    void FollowParent();
    void Paint(HDC dc, const RECT& client);
    void PaintBuffered();
    void Press(int key);
    LRESULT OverrideKey(UINT key, LPARAM change);
    WORD FlagsOf(UINT key) const;

    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ParentSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR data);
    static LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    SoftKey keys_[2];
    KeyOverride overrides_[8] = {};
    int overrideCount_ = 0;
    int pressed_ = -1;
    HFONT font_ = nullptr;
};

} // namespace platform
