#pragma once
// The full-screen contact picker: a kinetic list of contacts above the on-screen keypad. Typed keys
// narrow the list through the search service, with the matched letters of each name highlighted;
// choosing a contact with several numbers lists its numbers instead. The caller constructs it, sets
// the inputs, runs DoModal over its window and, on 1 with a non-zero contactId, reads the results.
//
//     ContactPickerDialog picker;
//     picker.templates = templates;
//     picker.keypad.feedbackOn = settings::Read(settings::BtnFeedback) == 2;
//     picker.keypad.feedbackDuration = 50;
//     std::copy(listImages, listImages + 3, picker.listImages);
//     picker.scrollImage = scrollImage;
//     if (picker.DoModal(window) == 1 && picker.contactId) ... picker.phoneNumber, phoneLabel, phoneKind
#include "contacts/ContactDetails.h"
#include "contacts/SearchService.h"
#include "foundation/Array.h"
#include "foundation/ScopedHandles.h"
#include "foundation/WString.h"
#include "phonenumbers/PhoneTemplates.h"
#include "picker/KeypadLayout.h"
#include "picker/KeypadListener.h"
#include "picker/KeypadWindow.h"
#include "ui/DialogBase.h"
#include "ui/KineticList.h"
#include "ui/KineticListOwner.h"

#include <windows.h>

class ContactPickerDialog : public DialogBase, public KineticListOwner, public KeypadListener {
public:
    // Which of listImages is which.
    enum { RowImage, SelectedRowImage, EmptyImage };

    ContactPickerDialog();
    ~ContactPickerDialog() override;

    // KeypadListener: a new digit string searches again at contact level.
    void OnDigitsChanged(const WString& digits) override;
    // KineticListOwner: one row of contacts or numbers, or an empty area (index -1).
    void DrawItem(HWND list, HDC dc, int index, const RECT& rect, int selected) override;
    void OnItemTapped(HWND list, int index, int previous, POINT point) override;
    void OnActionKeyUp(HWND list) override;

    // Asks the service for the contacts of query; the list shows them from the top.
    void Search();
    // Takes the selected row: a contact with several numbers lists them, anything else ends the dialog.
    void Choose();
    // The list above the keypad, which takes a third of the height at contact level and none at number
    // level.
    void Layout();

    // Results, valid after DoModal returned 1.
    WString phoneNumber; // as stored, not formatted; empty for a contact without numbers
    WString phoneLabel;
    int phoneKind = 0;   // row of the phone-kind table, or 100 for a number with a label of its own
    DWORD contactId = 0; // 0 until a contact is chosen

    // Inputs, all borrowed: the number display templates (may be null), the row images (normal row,
    // selected row, empty area; any may be null) and the scroll indicator's image (null for a classic
    // bar).
    const PhoneTemplateSet* templates = nullptr;
    HBITMAP listImages[3] = {};
    HBITMAP scrollImage = nullptr;

    KineticList list;
    KeypadWindow keypad; // the caller sets feedbackOn and feedbackDuration

    Array<int> resultIds;           // contact rows, in the service's order
    int chosenIndex = -1;           // -1 at contact level; else the contact whose numbers are shown
    Array<PhoneEntry> phoneEntries; // of the chosen contact
    WString query;                  // the keypad digits searched for
    Array<KeypadPattern> patterns;  // of the last search, for highlighting

    ScopedFont rowFont;
    COLORREF evenRowColour = RGB(206, 231, 255);
    COLORREF oddRowColour = RGB(255, 255, 255);
    COLORREF selectedRowColour = RGB(0, 69, 156);
    COLORREF emptyColour = RGB(255, 255, 255);
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF selectedTextColour = RGB(255, 255, 255);
    COLORREF highlightColour = RGB(255, 255, 180);

    // Where searches and records are asked for; the program's service unless a test says otherwise.
    ServiceOperation* searchService = &SearchOperation();
    ServiceOperation* recordService = &RecordOperation();

protected:
    bool OnInit() override;
    void OnSize(int width, int height) override;
    bool OnKeyDown(UINT key, LPARAM flags) override;
    bool OnCommand(int id, int code, HWND from) override;

private:
    void Cancel();
    // Fills rect with image repeated from its top-left corner, or with colour when there is no image.
    void Tile(HDC dc, HBITMAP image, const RECT& rect, COLORREF colour);
    void DrawContact(HDC dc, int index, const RECT& rect);
    void DrawNumber(HDC dc, int index, const RECT& rect);
    // The record of a contact row; false (logged once per picker) when the service has none.
    bool RecordOf(int index, ServiceRecord& record);
    void EndWith(const PhoneEntry* entry);

    ScopedMemoryDC imageDC_; // source of the tiled images
    int rowTextHeight_ = 0;  // of "A" in rowFont
    // Each kind of bad answer from the service is logged once per picker.
    bool searchFailureLogged_ = false;
    bool recordFailureLogged_ = false;
    bool patternsLogged_ = false;
    bool nameLogged_ = false;
};
