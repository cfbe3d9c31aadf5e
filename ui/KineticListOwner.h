#pragma once
// What a KineticList asks of the window that embeds it: drawing its rows, and hearing of taps, holds,
// keys and selection changes. Only DrawItem must be given; the other operations do nothing and return
// 0, except CanSelect, which lets every row be selected.
#include <windows.h>

class KineticListOwner {
public:
    KineticListOwner() = default;
    KineticListOwner(const KineticListOwner&) = delete;
    KineticListOwner& operator=(const KineticListOwner&) = delete;
    virtual ~KineticListOwner() = default;

    // Draws row index (-1: an area without rows) into rect of dc.
    virtual void DrawItem(HWND list, HDC dc, int index, const RECT& rect, int selected) = 0;
    // A release without drag over row index, after the row was selected; previous is the selection
    // before the tap.
    virtual void OnItemTapped(HWND, int /*index*/, int /*previous*/, POINT) {}
    virtual void OnSelectionChanged(HWND, int /*row*/, int /*flag*/) {}
    // The pen went down over row (-1 for none).
    virtual void OnPress(HWND, int /*row*/) {}
    // Enter or the action key came up while a row is selected.
    virtual void OnActionKeyUp(HWND) {}
    // The pen (or the action key) was held on row.
    virtual void OnLongPress(HWND, int /*row*/, POINT) {}
    virtual void OnSetFocus(HWND) {}
    virtual void OnKillFocus(HWND) {}
    // Before the list's own key handling: non-zero when the owner handled the key.
    virtual int OnKeyDown(HWND, UINT /*key*/, int /*selection*/) { return 0; }
    virtual void OnChar(HWND, wchar_t, LPARAM /*keyData*/) {}
    // Before every message of the list: non-zero, with result set, when the owner handled it.
    virtual int PreTranslate(HWND, UINT, WPARAM, LPARAM, LRESULT& /*result*/) { return 0; }
    // Non-zero when row may be selected.
    virtual int CanSelect(HWND, int /*row*/) { return 1; }
    // A release without drag above row 0 while the list has a header.
    virtual void OnHeaderTapped(HWND, POINT) {}
};
