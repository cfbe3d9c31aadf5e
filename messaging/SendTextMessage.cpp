#include "messaging/SendTextMessage.h"

#include "foundation/ScopedHandles.h"
#include "foundation/Settings.h"
#include "platform/MessageStoreMapi.h"
#include "platform/ProcessLauncher.h"
#include "platform/SmsLibrary.h"
#include "platform/SmsTransport.h"

#include <cstring>
#include <cwchar>
#include <utility>

using namespace platform;

namespace {

constexpr wchar_t SmsStoreDisplayName[] = L"SMS";
constexpr wchar_t UnicodeMarkerName[] = L"SMS:Unicode";

// Loaded on the first use and kept for the life of the process.
HMODULE smsLibrary = nullptr;

template <class Function> Function SmsEntry(const char* name) {
    if (!smsLibrary) smsLibrary = LoadLibraryW(SmsLibraryName);
    if (!smsLibrary) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(smsLibrary, name)));
}

SPropValue TextProp(ULONG tag, const wchar_t* text) {
    SPropValue value = {};
    value.ulPropTag = tag;
    value.Value.lpszW = const_cast<wchar_t*>(text);
    return value;
}

SPropValue LongProp(ULONG tag, ULONG number) {
    SPropValue value = {};
    value.ulPropTag = tag;
    value.Value.ul = number;
    return value;
}

// A session of the message store, released (and the store uninitialised) when it goes.
class StoreSession {
public:
    StoreSession() : initialised_(SUCCEEDED(MAPIInitialize(nullptr))) {
        if (initialised_ && FAILED(MAPILogonEx(0, nullptr, nullptr, 0, session_.Receive()))) session_.Reset();
    }
    StoreSession(const StoreSession&) = delete;
    StoreSession& operator=(const StoreSession&) = delete;
    ~StoreSession() {
        session_.Reset();
        if (initialised_) MAPIUninitialize();
    }
    IMAPISession* Get() const { return session_.Get(); }

private:
    bool initialised_;
    ComPtr<IMAPISession> session_;
};

// Sets "SMS:Unicode" to TRUE when the store gives it an identifier; failures are ignored.
void MarkUnicode(IMessage* message) {
    MAPINAMEID name = {};
    name.lpguid = const_cast<GUID*>(&PS_MAPI);
    name.ulKind = MNID_STRING;
    name.Kind.lpwstrName = const_cast<wchar_t*>(UnicodeMarkerName);
    MAPINAMEID* names[] = {&name};
    SPropTagArray* ids = nullptr;
    if (SUCCEEDED(message->GetIDsFromNames(1, names, MAPI_CREATE, &ids)) && ids && ids->cValues == 1 &&
        PROP_TYPE(ids->aulPropTag[0]) != PT_ERROR) {
        SPropValue marker = {};
        marker.ulPropTag = PROP_TAG(PT_BOOLEAN, PROP_ID(ids->aulPropTag[0]));
        marker.Value.b = TRUE;
        message->SetProps(1, &marker, nullptr);
    }
    MAPIFreeBuffer(ids);
}

bool AddRecipient(IMessage* message, const wchar_t* recipient) {
    SPropValue properties[] = {LongProp(PR_RECIPIENT_TYPE, MAPI_TO),
                               TextProp(PR_ADDRTYPE, SmsStoreDisplayName),
                               TextProp(PR_EMAIL_ADDRESS, recipient)};
    ADRLIST list = {1, {{0, 3, properties}}};
    return SUCCEEDED(message->ModifyRecipients(MODRECIP_ADD, &list));
}

// A new message in the folder that folderProperty of the store "SMS" names, marked Unicode and
// addressed to recipient; empty when any step fails. store gets the store, kept open for the message.
ComPtr<IMessage> CreateAddressedMessage(IMAPISession* session, ULONG folderProperty, const wchar_t* recipient,
                                        ComPtr<IMsgStore>& store) {
    ULONG folderIdSize = 0;
    BYTE* folderId = nullptr;
    IMsgStore* found = nullptr;
    if (!FindSmsStoreFolder(session, folderProperty, found, folderIdSize, folderId)) return {};
    store.Reset(found);
    ComPtr<IUnknown> folder;
    ULONG type = 0;
    ComPtr<IMessage> message;
    if (SUCCEEDED(session->OpenEntry(folderIdSize, reinterpret_cast<ENTRYID*>(folderId), nullptr, MAPI_MODIFY,
                                     &type, folder.Receive())) &&
        folder && type == MAPI_FOLDER &&
        FAILED(static_cast<IMAPIFolder*>(folder.Get())->CreateMessage(nullptr, 0, message.Receive())))
        message.Reset();
    MAPIFreeBuffer(folderId);
    if (!message) return {};
    MarkUnicode(message.Get());
    if (!AddRecipient(message.Get(), recipient)) message.Reset();
    return message;
}

void StartTransport() {
    wchar_t arguments[] = L"-service";
    PROCESS_INFORMATION info = {};
    platform::CreateProcessW(TransportProgram, arguments, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             nullptr, &info);
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
}

} // namespace

bool SendTextMessage(const wchar_t* recipient, const wchar_t* text) {
    if (!recipient || !text) return false;
    return settings::Read(settings::SmsAlt) == 0 ? SendViaMessageStore(recipient, text)
                                                 : SendViaSmsLibrary(recipient, text);
}

bool FindSmsStoreFolder(IMAPISession* session, ULONG folderProperty, IMsgStore*& store, ULONG& folderIdSize,
                        BYTE*& folderId) {
    store = nullptr;
    folderIdSize = 0;
    folderId = nullptr;
    ComPtr<IMAPITable> table;
    if (!session || FAILED(session->GetMsgStoresTable(MAPI_UNICODE, table.Receive())) || !table) return false;
    for (;;) {
        SRowSet* rows = nullptr;
        if (FAILED(table->QueryRows(1, 0, &rows)) || !rows || rows->cRows != 1 || rows->aRow[0].cValues < 1 ||
            rows->aRow[0].lpProps[0].ulPropTag != PR_ENTRYID) {
            FreeProws(rows);
            return false;
        }
        const SBinary& storeId = rows->aRow[0].lpProps[0].Value.bin;
        ComPtr<IMsgStore> candidate;
        const bool opened =
            SUCCEEDED(session->OpenMsgStore(0, storeId.cb, reinterpret_cast<ENTRYID*>(storeId.lpb), nullptr,
                                            0, candidate.Receive())) &&
            candidate;
        FreeProws(rows);
        if (!opened) return false;
        SizedSPropTagArray<2> tags;
        tags.aulPropTag[0] = folderProperty;
        tags.aulPropTag[1] = PR_DISPLAY_NAME;
        ULONG count = 0;
        SPropValue* values = nullptr;
        // A store that lacks either property, or an answer of another shape, ends the search.
        if (FAILED(candidate->GetProps(tags.Get(), MAPI_UNICODE, &count, &values)) || !values || count != 2 ||
            values[0].ulPropTag != folderProperty || values[1].ulPropTag != PR_DISPLAY_NAME) {
            MAPIFreeBuffer(values);
            return false;
        }
        if (std::wcscmp(values[1].Value.lpszW, SmsStoreDisplayName) != 0) {
            MAPIFreeBuffer(values);
            continue;
        }
        const SBinary& id = values[0].Value.bin;
        const bool copied =
            id.cb && SUCCEEDED(MAPIAllocateBuffer(id.cb, reinterpret_cast<void**>(&folderId)));
        if (copied) {
            std::memcpy(folderId, id.lpb, id.cb);
            folderIdSize = id.cb;
            store = candidate.Release();
        }
        MAPIFreeBuffer(values);
        return copied;
    }
}

bool SendViaMessageStore(const wchar_t* recipient, const wchar_t* text) {
    StartTransport();
    StoreSession session;
    if (!session.Get()) return false;
    ComPtr<IMsgStore> store;
    ComPtr<IMessage> message = CreateAddressedMessage(session.Get(), PR_IPM_OUTBOX_ENTRYID, recipient, store);
    if (!message) return false;
    SPropValue properties[] = {TextProp(PR_SUBJECT, text), TextProp(PR_SENDER_EMAIL_ADDRESS, L""),
                               LongProp(PR_MSG_STATUS, MSGSTATUS_TEXT_MESSAGE),
                               LongProp(PR_MESSAGE_FLAGS, MSGFLAG_READ | MSGFLAG_UNSENT | MSGFLAG_FROMME)};
    return SUCCEEDED(message->SetProps(4, properties, nullptr)) && SUCCEEDED(message->SubmitMessage(0));
}

bool FileSentMessage(const wchar_t* recipient, const wchar_t* text) {
    StoreSession session;
    if (!session.Get()) return false;
    ComPtr<IMsgStore> store;
    ComPtr<IMessage> message =
        CreateAddressedMessage(session.Get(), PR_IPM_SENTMAIL_ENTRYID, recipient, store);
    if (!message) return false;
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME local = {};
    FILETIME utc = {};
    SystemTimeToFileTime(&now, &local);
    LocalFileTimeToFileTime(&local, &utc);
    SPropValue properties[] = {TextProp(PR_SUBJECT, text),
                               TextProp(PR_SENDER_EMAIL_ADDRESS, L""),
                               LongProp(PR_MSG_STATUS, MSGSTATUS_TEXT_MESSAGE),
                               LongProp(PR_MESSAGE_FLAGS, MSGFLAG_READ | MSGFLAG_FROMME),
                               {}};
    properties[4].ulPropTag = PR_MESSAGE_DELIVERY_TIME;
    properties[4].Value.ft = utc;
    return SUCCEEDED(message->SetProps(5, properties, nullptr));
}

bool SendViaSmsLibrary(const wchar_t* recipient, const wchar_t* text) {
    const size_t recipientLength = std::wcslen(recipient);
    if (recipientLength >= SMS_MAX_ADDRESS_LENGTH) return false;
    const auto smsOpen = SmsEntry<SmsOpenFunction>(SmsOpenName);
    const auto smsSend = SmsEntry<SmsSendMessageFunction>(SmsSendMessageName);
    const auto smsClose = SmsEntry<SmsCloseFunction>(SmsCloseName);
    SMS_HANDLE handle = 0;
    if (!smsOpen || !smsSend || !smsClose || smsOpen(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, &handle, nullptr) < 0)
        return false;

    SMS_ADDRESS destination = {};
    destination.smsatAddressType = SMSAT_INTERNATIONAL;
    std::memcpy(destination.ptsAddress, recipient, recipientLength * sizeof(wchar_t));
    TEXT_PROVIDER_SPECIFIC_DATA provider = {};
    provider.dwMessageOptions = PS_MESSAGE_OPTION_NONE;
    provider.psMessageClass = PS_MESSAGE_CLASS1;
    provider.psReplaceOption = PSRO_NONE;
    provider.dwHeaderDataSize = 0;
    const DWORD textBytes = static_cast<DWORD>(std::wcslen(text) * sizeof(wchar_t));
    SMS_MESSAGE_ID messageId = 0;
    const HRESULT sent = smsSend(handle, nullptr, &destination, nullptr, reinterpret_cast<const BYTE*>(text),
                                 textBytes, reinterpret_cast<const BYTE*>(&provider), sizeof provider,
                                 SMSDE_OPTIMAL, SMS_OPTION_DELIVERY_NONE, &messageId);
    smsClose(handle);
    if (sent == S_OK) FileSentMessage(recipient, text);
    return sent >= 0;
}
