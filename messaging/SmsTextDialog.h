#pragma once
// The stock-text dialog of the send-SMS command: a full-screen dialog (template 115) whose header names
// the recipient over a finger-scrolled list of "< Новое SMS >" and the stored texts ("SmsText" 1 to
// 20). Tapping a text selects it and OK chooses it; tapping the first row (or OK while it is selected)
// chooses a new message, an empty text. "Отмена" (or Escape) chooses nothing.
//
// The main screen runs the whole command through Run; the members below are for it and for tests.
#include "foundation/Array.h"
#include "foundation/ScopedHandles.h"
#include "foundation/WString.h"
#include "ui/BufferedPaint.h"
#include "ui/DialogBase.h"
#include "ui/KineticList.h"
#include "ui/KineticListOwner.h"

class SmsTextDialog : public DialogBase, public KineticListOwner {
public:
    SmsTextDialog();
    // Deletes the fonts and the row cache and destroys the list; the borrowed images stay.
    ~SmsTextDialog() override;

    // DoModal's results: a choice (read ChosenText) or a cancel.
    static constexpr INT_PTR Chose = IDOK;
    static constexpr INT_PTR Cancelled = IDCANCEL;
    static constexpr int MaxStockTexts = 20;

    // The send-SMS command for a button with number and name (its display name), over owner:
    // - with "SmsEnabled" (default 1) set, runs the dialog with the skin's header image "sms_bgr" and the
    //   lent row images (unselected, selected, empty area) and scroll image. On a choice it posts
    //   WM_COMMAND 1 to owner (the screen closes or hides once the command is done), then sends the chosen
    //   text with SendTextMessage, or, for "< Новое SMS >", opens the messaging program's composer
    //   addressed to name and number (OpenMessagingApp). A cancel sends nothing.
    // - with "SmsEnabled" 0, opens the composer at once and posts WM_COMMAND 1.
    // Returns Chose when something was sent or the composer opened, Cancelled when the user cancelled,
    // and -1 when the dialog could not be shown (nothing is sent then).
    static INT_PTR Run(HWND owner, const wchar_t* number, const wchar_t* name, const HBITMAP (&rowImages)[3],
                       HBITMAP scrollImage);

    // Empties texts and appends the stored texts "1" to "20" of "SmsText" that are not empty, in order.
    static void LoadSmsTexts(Array<WString>& texts);

    WString ChosenText;      // out: the stock text chosen, or empty for a new message
    WString RecipientNumber; // in: the button's number
    WString RecipientName;   // in: the button's name, shown instead of the number when not empty
    // In, borrowed: the header image "sms_bgr", the row images "list_unselect_bgr", "list_select_bgr" and
    // "list_void_bgr", and the scroll indicator's image.
    HBITMAP HeaderImage = nullptr;
    HBITMAP RowImages[3] = {};
    HBITMAP ScrollImage = nullptr;

    KineticList List;
    Array<WString> Texts; // row 0 "< Новое SMS >", then the stock texts
    int HeaderHeight = 0;

    // Draws the header (image, "SMS", the recipient) across the top of client into dc; the dialog's paint
    // goes through it.
    void PaintHeader(HDC dc, const RECT& client);

    // KineticListOwner.
    void DrawItem(HWND list, HDC dc, int index, const RECT& rect, int selected) override;
    void OnItemTapped(HWND list, int index, int previous, POINT point) override;

protected:
    bool OnInit() override;
    void OnSize(int width, int height) override;
    void OnPaint(HDC dc, const RECT& rcPaint) override;
    bool OnEraseBackground(HDC dc) override;
    bool OnCommand(int id, int code, HWND from) override;
    // Keys the list passes on: Escape cancels.
    bool OnKeyDown(UINT key, LPARAM flags) override;

private:
    void CreateFonts();
    // Ends the dialog with the selected row's text (empty for row 0).
    void Choose();
    // Rebuilds the row cache for rows of width × height: unselected background left, selected right.
    void BuildRowCache(HDC dc, int width, int height);
    // The memory context the images are selected into to be copied.
    HDC Source(HDC like);

    ScopedFont titleFont_, nameFont_, rowFont_;
    ScopedMemoryDC cache_;
    ScopedBitmap cacheBitmap_;
    HGDIOBJ cacheOriginal_ = nullptr;
    int cacheWidth_ = 0, cacheHeight_ = 0;
    ScopedMemoryDC source_;
    PaintBuffer paintBuffer_;
};
