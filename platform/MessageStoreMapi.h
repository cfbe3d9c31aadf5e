#pragma once
// The message store as the phone offers it: the subset of MAPI that a client needs to find a store,
// open its folders, create messages with their properties and recipients, and submit them to the
// messaging transport. On the desktop the store is ours (MessageFile.h holds its files).
//
// What this subset does, as the phone's store does:
// - MAPILogonEx gives a session; GetMsgStoresTable lists one row per store, PR_ENTRYID first and
//   PR_DISPLAY_NAME second; OpenMsgStore opens a store by that entry identifier.
// - A store answers GetProps for PR_DISPLAY_NAME, PR_ENTRYID, PR_IPM_OUTBOX_ENTRYID (0x81040102, the
//   folder for a new outgoing message) and PR_IPM_SENTMAIL_ENTRYID. A property the store lacks (its
//   folder is missing) comes back with type PT_ERROR and the call returns MAPI_W_ERRORS_RETURNED.
// - The session opens folders by entry identifier (OpenEntry); a folder creates messages.
// - There is no SaveChanges: a message keeps its changes (SetProps, ModifyRecipients) when its last
//   reference is released, or when it is submitted; one whose folder has gone takes no changes. A
//   write that fails at the release is written to the error log. A message that was never changed
//   leaves nothing behind.
// - SubmitMessage hands the message to the transport (SmsTransport.h), which sends it and moves it
//   to the store's sent-items folder.
// - Named properties are resolved per session (GetIDsFromNames with MAPI_CREATE gives ids from
//   0x8000 up); messages keep them by name, so an id is valid only within its session.
// - Buffers handed out (rows, property arrays, tag arrays) come from MAPIAllocateBuffer and are freed
//   with MAPIFreeBuffer (rows with FreeProws).
#include <windows.h>
#include <unknwn.h>

// Property tags: the identifier in the high word, the type in the low word.
constexpr ULONG PT_LONG = 0x0003;
constexpr ULONG PT_ERROR = 0x000A;
constexpr ULONG PT_BOOLEAN = 0x000B;
constexpr ULONG PT_UNICODE = 0x001F;
constexpr ULONG PT_SYSTIME = 0x0040;
constexpr ULONG PT_BINARY = 0x0102;

constexpr ULONG PROP_TYPE(ULONG tag) {
    return tag & 0xFFFF;
}
constexpr ULONG PROP_ID(ULONG tag) {
    return tag >> 16;
}
constexpr ULONG PROP_TAG(ULONG type, ULONG id) {
    return (id << 16) | type;
}

constexpr ULONG PR_SUBJECT = 0x0037001F;
constexpr ULONG PR_CLIENT_SUBMIT_TIME = 0x00390040;
constexpr ULONG PR_RECIPIENT_TYPE = 0x0C150003;
constexpr ULONG PR_SENDER_EMAIL_ADDRESS = 0x0C1F001F;
constexpr ULONG PR_MESSAGE_DELIVERY_TIME = 0x0E060040;
constexpr ULONG PR_MESSAGE_FLAGS = 0x0E070003;
constexpr ULONG PR_MSG_STATUS = 0x0E170003;
constexpr ULONG PR_ENTRYID = 0x0FFF0102;
constexpr ULONG PR_DISPLAY_NAME = 0x3001001F;
constexpr ULONG PR_ADDRTYPE = 0x3002001F;
constexpr ULONG PR_EMAIL_ADDRESS = 0x3003001F;
constexpr ULONG PR_IPM_SENTMAIL_ENTRYID = 0x35E40102;
constexpr ULONG PR_IPM_OUTBOX_ENTRYID = 0x81040102;

// Flags.
constexpr ULONG MAPI_UNICODE = 0x80000000;
constexpr ULONG MAPI_MODIFY = 0x00000001;
constexpr ULONG MAPI_CREATE = 0x00000002;
constexpr ULONG MODRECIP_ADD = 0x00000002;
constexpr ULONG MAPI_TO = 1;
constexpr ULONG MNID_ID = 0;
constexpr ULONG MNID_STRING = 1;
constexpr ULONG MSGFLAG_READ = 0x01;
constexpr ULONG MSGFLAG_UNSENT = 0x08;
constexpr ULONG MSGFLAG_FROMME = 0x20;
constexpr ULONG MSGSTATUS_TEXT_MESSAGE = 0x40000; // the phone's text-message record type

// Object types OpenEntry reports.
constexpr ULONG MAPI_STORE = 1;
constexpr ULONG MAPI_FOLDER = 3;
constexpr ULONG MAPI_MESSAGE = 5;

// Results.
constexpr HRESULT MAPI_W_ERRORS_RETURNED = 0x00040380;
constexpr HRESULT MAPI_E_CALL_FAILED = static_cast<HRESULT>(0x80004005);
constexpr HRESULT MAPI_E_NO_ACCESS = static_cast<HRESULT>(0x80070005);
constexpr HRESULT MAPI_E_NOT_ENOUGH_MEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT MAPI_E_INVALID_PARAMETER = static_cast<HRESULT>(0x80070057);
constexpr HRESULT MAPI_E_NO_SUPPORT = static_cast<HRESULT>(0x80040102);
constexpr HRESULT MAPI_E_NOT_FOUND = static_cast<HRESULT>(0x8004010F);
constexpr HRESULT MAPI_E_LOGON_FAILED = static_cast<HRESULT>(0x80040111);
constexpr HRESULT MAPI_E_DISK_ERROR = static_cast<HRESULT>(0x80040116);
constexpr HRESULT MAPI_E_INVALID_ENTRYID = static_cast<HRESULT>(0x80040107);
constexpr HRESULT MAPI_E_BAD_VALUE = static_cast<HRESULT>(0x80040301);
constexpr HRESULT MAPI_E_NOT_INITIALIZED = static_cast<HRESULT>(0x80040605);

// The property set of the named property "SMS:Unicode".
constexpr GUID PS_MAPI = {0x00020328, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct ENTRYID {
    BYTE abFlags[4];
    BYTE ab[1];
};

struct SBinary {
    ULONG cb;
    BYTE* lpb;
};

union PV {
    LONG l;
    ULONG ul;
    unsigned short b;
    FILETIME ft;
    LPWSTR lpszW;
    SBinary bin;
    HRESULT err;
    LONGLONG li;
};

struct SPropValue {
    ULONG ulPropTag;
    ULONG dwAlignPad;
    PV Value;
};

struct SPropTagArray {
    ULONG cValues;
    ULONG aulPropTag[1];
};

// Room for n tags, as the SDK's SizedSPropTagArray declares it.
template <ULONG n> struct SizedSPropTagArray {
    ULONG cValues = n;
    ULONG aulPropTag[n];
    SPropTagArray* Get() { return reinterpret_cast<SPropTagArray*>(this); }
};

struct SPropProblem {
    ULONG ulIndex;
    ULONG ulPropTag;
    HRESULT scode;
};

struct SPropProblemArray {
    ULONG cProblem;
    SPropProblem aProblem[1];
};

struct SRow {
    ULONG ulAdrEntryPad;
    ULONG cValues;
    SPropValue* lpProps;
};

struct SRowSet {
    ULONG cRows;
    SRow aRow[1];
};

struct ADRENTRY {
    ULONG ulReserved1;
    ULONG cValues;
    SPropValue* rgPropVals;
};

struct ADRLIST {
    ULONG cEntries;
    ADRENTRY aEntries[1];
};

struct MAPINAMEID {
    GUID* lpguid;
    ULONG ulKind;
    union {
        LONG lID;
        LPWSTR lpwstrName;
    } Kind;
};

struct IMAPIProp : IUnknown {
    // The values of the tags asked for, in their order, in one buffer for MAPIFreeBuffer. A property
    // the object lacks comes back as PT_ERROR with MAPI_E_NOT_FOUND and the call returns
    // MAPI_W_ERRORS_RETURNED.
    virtual HRESULT STDMETHODCALLTYPE GetProps(SPropTagArray* tags, ULONG flags, ULONG* count,
                                               SPropValue** values) = 0;
    // Sets the values; the whole call fails (nothing changes) when one cannot be kept.
    virtual HRESULT STDMETHODCALLTYPE SetProps(ULONG count, SPropValue* values,
                                               SPropProblemArray** problems) = 0;
    // Property ids (tags of type PT_UNSPECIFIED, 0) for the names; with MAPI_CREATE new names get ids.
    virtual HRESULT STDMETHODCALLTYPE GetIDsFromNames(ULONG count, MAPINAMEID** names, ULONG flags,
                                                      SPropTagArray** tags) = 0;
};

struct IMAPITable : IUnknown {
    // The next rows (at most rowCount); zero rows at the end.
    virtual HRESULT STDMETHODCALLTYPE QueryRows(LONG rowCount, ULONG flags, SRowSet** rows) = 0;
};

struct IMsgStore : IMAPIProp {};

struct IMessage : IMAPIProp {
    virtual HRESULT STDMETHODCALLTYPE ModifyRecipients(ULONG flags, ADRLIST* recipients) = 0;
    virtual HRESULT STDMETHODCALLTYPE SubmitMessage(ULONG flags) = 0;
};

struct IMAPIFolder : IMAPIProp {
    virtual HRESULT STDMETHODCALLTYPE CreateMessage(const IID* iid, ULONG flags, IMessage** message) = 0;
};

struct IMAPISession : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetMsgStoresTable(ULONG flags, IMAPITable** table) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenMsgStore(ULONG_PTR uiParam, ULONG entryIdSize, ENTRYID* entryId,
                                                   const IID* iid, ULONG flags, IMsgStore** store) = 0;
    // Opens a store, a folder or a message; type tells which (MAPI_STORE, MAPI_FOLDER, MAPI_MESSAGE).
    virtual HRESULT STDMETHODCALLTYPE OpenEntry(ULONG entryIdSize, ENTRYID* entryId, const IID* iid,
                                                ULONG flags, ULONG* type, IUnknown** object) = 0;
    virtual HRESULT STDMETHODCALLTYPE Logoff(ULONG_PTR uiParam, ULONG flags, ULONG reserved) = 0;
};

namespace platform {

// As the platform's; the desktop store needs no initialisation beyond counting the calls, and logs on
// to the store folder of MessageFile.h, creating the store "SMS" with its folders when missing.
HRESULT MAPIInitialize(void* init);
void MAPIUninitialize();
HRESULT MAPILogonEx(ULONG_PTR uiParam, wchar_t* profile, wchar_t* password, ULONG flags,
                    IMAPISession** session);

HRESULT MAPIAllocateBuffer(ULONG size, void** buffer);
// More memory that goes with buffer (freed with it).
HRESULT MAPIAllocateMore(ULONG size, void* buffer, void** more);
ULONG MAPIFreeBuffer(void* buffer);
void FreeProws(SRowSet* rows);

} // namespace platform
