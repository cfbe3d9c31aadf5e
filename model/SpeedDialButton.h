#pragma once
// One speed-dial button: a cell bound to a contact and one of its numbers, with copies of the
// contact's names so that it can be shown and dialled when the contact is gone.
#include "contacts/ContactDetails.h"
#include "foundation/Array.h"
#include "foundation/WString.h"

#include <windows.h>

struct SpeedDialButton {
    DWORD Oid = 0;   // contact object id; 0 = no contact bound
    WString Display; // name given by the user; empty = derived from the contact
    int Btn = -1;    // dialer key 1..99, unique among the buttons; -1 = none
    int Index = -1;  // cell: page × cells per page + cell of the page
    WString Phone;   // the number a tap calls
    WString Type;    // label of the number's kind
    DWORD Link = 0;  // kind: row of PhoneKindTable, or NotesPhoneKind
    WString First, Last, Middle, Company;
    Array<PhoneEntry> Phones; // all the contact's numbers as last read; not stored
    WString SortName;         // the contact's own filing name; not stored
    DWORD HasPhoto = 0;       // not stored
    // The picture scaled for the button. Copies share the handle; only the model deletes it, when the
    // stored button is removed or replaced.
    HBITMAP Photo = nullptr;
};
