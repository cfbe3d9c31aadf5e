#pragma once
// What the program reads of one contact: names, numbers with the labels of their kinds, the numbers
// kept in its notes, and its picture.
#include "contacts/ContactStore.h"
#include "foundation/Array.h"
#include "foundation/WString.h"

#include <windows.h>

struct PhoneEntry {
    WString Number;
    WString Label;
    int Kind = 0; // row of PhoneKindTable, or NotesPhoneKind
};

// Kind of a number found in the notes' information block.
constexpr int NotesPhoneKind = 100;

struct PhoneKindRow {
    CEPROPID Property;
    const wchar_t* Label;
};

// The kinds of numbers a contact has, in the order they are listed; the row is the kind code.
constexpr int PhoneKindCount = 13;
extern const PhoneKindRow PhoneKindTable[PhoneKindCount];

class ContactDetails {
public:
    ContactDetails() = default;
    ContactDetails(const ContactDetails&) = delete;
    ContactDetails& operator=(const ContactDetails&) = delete;
    // Deletes Photo when the record still owns it.
    virtual ~ContactDetails();

    DWORD Oid = 0;
    WString First;
    WString Last;
    WString Middle;
    WString Company;
    WString SortName;
    Array<PhoneEntry> Phones;
    HBITMAP Photo = nullptr; // owned by the record until a caller takes it and sets this to null
    DWORD HasPhoto = 0;
};

// What ReadContact reads.
constexpr int ReadNames = 1;
constexpr int ReadPhones = 2; // with the numbers of the notes
constexpr int ReadPhoto = 4;
constexpr int ReadPhotoPresence = 32;

// Reads the contact with object id oid into details; fit mode and box size the picture (flag 4).
// 1 when the store holds the contact, whatever properties it has; 0 (details untouched) otherwise,
// also when the store is null or not logged on. When the contact has a picture of some bytes that
// gives no Photo, pictureProblem (when given) says why, for the error log; else it is left alone.
int ReadContact(ContactStore* store, DWORD oid, ContactDetails& details, int flags, int fitMode, int boxWidth,
                int boxHeight, WString* pictureProblem = nullptr);

// Bytes of a contact's notes that are read: the numbers kept in them stand near their start, and a
// contact store may hold notes of any length.
constexpr unsigned NotesReadLimit = 1u << 20;

// The notes bytes as text: the compact rich-text format ("{\pwi"), 0xFE 0xFF and UTF-16 in
// little-endian order, or else the ANSI code page.
WString DecodeNotes(const BYTE* data, size_t size);

// The paragraphs of compact rich-text notes joined by blanks; what cannot be decoded is left out.
WString DecodeCompactRichText(const BYTE* data, size_t size);

// The text between "== start pim information ==" and the first "== end pim information ==" after it
// (or the end of the notes); empty without a start marker.
WString InformationBlock(const WString& notes);

// Appends one entry {number, label, NotesPhoneKind} for each item of the block's "Phone:" list.
void ReadPhoneList(const WString& block, Array<PhoneEntry>& phones);
