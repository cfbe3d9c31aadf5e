#pragma once
// The contact object model as the phone offers it: an application object that logs on to the store
// and finds items by object id, and items that give their properties by id and open their streams.
// On the desktop the application object comes from our contact store library (ComActivation.h), which
// reads vCard files.
#include <windows.h>
#include <objidl.h>

constexpr CLSID CLSID_Application = {
    0x05058F23, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
constexpr IID IID_IPOutlookApp = {
    0x05058F22, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
constexpr IID IID_IItem = {0xFB8998D0, 0x38F0, 0x4D12, {0xAC, 0x56, 0x4E, 0xC8, 0xFC, 0xE9, 0xF3, 0xD5}};

using CEPROPID = DWORD;
using CEOID = DWORD;

// GetProps: the values are allocated on the caller's heap (the process heap when none is given).
constexpr ULONG CEDB_ALLOWREALLOC = 1;
// Flag word of a value the item lacks.
constexpr WORD CEDB_PROPNOTFOUND = 0x0100;

union CEVALUNION {
    LONG lVal;
    ULONG ulVal;
    FILETIME filetime;
    LPWSTR lpwstr;
    BOOL boolVal;
    double dblVal;
};

struct CEPROPVAL {
    CEPROPID propid;
    WORD wLenData;
    WORD wFlags;
    CEVALUNION val;
};

// Property ids the desktop store serves: the object id (a number), the names, company, sort name and
// the thirteen phone numbers (strings), and the two streams.
namespace poom {
constexpr CEPROPID Oid = 0x10000066;
constexpr CEPROPID FirstName = 0x0082001F;
constexpr CEPROPID MiddleName = 0x0083001F;
constexpr CEPROPID LastName = 0x0084001F;
constexpr CEPROPID CompanyName = 0x008A001F;
constexpr CEPROPID FileAs = 0x0080001F;
constexpr CEPROPID MobilePhone = 0x0096001F;
constexpr CEPROPID BusinessPhone = 0x0097001F;
constexpr CEPROPID Business2Phone = 0x0098001F;
constexpr CEPROPID HomePhone = 0x0099001F;
constexpr CEPROPID Home2Phone = 0x009A001F;
constexpr CEPROPID BusinessFax = 0x009B001F;
constexpr CEPROPID HomeFax = 0x009C001F;
constexpr CEPROPID Pager = 0x009D001F;
constexpr CEPROPID CarPhone = 0x009E001F;
constexpr CEPROPID RadioPhone = 0x009F001F;
constexpr CEPROPID CompanyPhone = 0x00A0001F;
constexpr CEPROPID AssistantPhone = 0x00A1001F;
constexpr CEPROPID MmsPhone = 0x10A3001F;
constexpr CEPROPID Notes = 0x001E0064;
constexpr CEPROPID Picture = 0x00FF0064;
} // namespace poom

struct IItem : IUnknown {
    // Values of count properties, in the order asked, in one block allocated on heap.
    virtual HRESULT STDMETHODCALLTYPE GetProps(const CEPROPID* ids, ULONG flags, WORD count,
                                               CEPROPVAL** values, ULONG* size, HANDLE heap) = 0;
    // A read-only stream over a stream property; fails when the item lacks it.
    virtual HRESULT STDMETHODCALLTYPE OpenProperty(CEPROPID id, DWORD mode, IStream** stream) = 0;
};

struct IPOutlookApp : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Logon(HWND window) = 0;
    virtual HRESULT STDMETHODCALLTYPE Logoff() = 0;
    // The item with the object id (ask it for IID_IItem); fails when the store holds none.
    virtual HRESULT STDMETHODCALLTYPE GetItemFromOid(CEOID oid, IUnknown** item) = 0;
};
