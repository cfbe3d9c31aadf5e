#pragma once
// The whole contact store at one moment, for the search service that indexes it: every contact with
// the texts the index needs, in object id order. The desktop's contact store library serves it beside
// the application object (CLSID_ContactCatalog), on the same store, so that a process holds one copy
// of its contacts however many parts of it read them.
//
// Only plain values and COM interfaces pass between the modules: each module has a C++ runtime of its
// own.
#include "platform/ContactStorePoom.h"

constexpr CLSID CLSID_ContactCatalog = {
    0x8A530235, 0x5C49, 0x4B71, {0x95, 0x48, 0x06, 0x07, 0x8C, 0x58, 0x2A, 0x71}};
constexpr IID IID_IContactCatalog = {
    0xB2F77C6B, 0x0301, 0x46FC, {0xA4, 0x4F, 0x5E, 0xA0, 0xB7, 0x01, 0xF7, 0x94}};
constexpr IID IID_IContactList = {
    0xF3F35042, 0xC81C, 0x40F9, {0xAC, 0x79, 0x0C, 0x3F, 0x65, 0x14, 0x09, 0x44}};

// A run of UTF-8 bytes (or raw bytes, for RawNotes); not terminated.
struct CatalogText {
    const char* Bytes;
    ULONG Length;
};

constexpr int CatalogPhoneKinds = 13;

// One contact. The texts stay valid while the list that gave them is held.
struct CatalogContact {
    DWORD Oid;
    CatalogText SortName;
    CatalogText Company;
    CatalogText Phones[CatalogPhoneKinds]; // by kind, in the order of the phone-kind table; empty if none
    CatalogText Notes;                     // UTF-8 text, or the notes stream's bytes when RawNotes
    BOOL RawNotes;
};

// The contacts as they were when the list was taken; it never changes.
struct IContactList : IUnknown {
    // The store's version that the list shows.
    virtual ULONG STDMETHODCALLTYPE Version() = 0;
    virtual ULONG STDMETHODCALLTYPE Count() = 0;
    // The contact at index, in object id order; E_INVALIDARG past the end.
    virtual HRESULT STDMETHODCALLTYPE Get(ULONG index, CatalogContact* contact) = 0;
};

struct IContactCatalog : IUnknown {
    // Counts up whenever the contacts change, so a reader can tell whether its copy is current.
    virtual ULONG STDMETHODCALLTYPE Version() = 0;
    // The contacts as they are now (one reference for the caller).
    virtual HRESULT STDMETHODCALLTYPE List(IContactList** list) = 0;
};
