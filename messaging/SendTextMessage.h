#pragma once
// Sending a text message: through the message store (the default) or straight through the SMS library
// with a copy filed in the store's sent items, as the setting "SmsAlt" chooses.
#include <windows.h>

struct IMAPISession;
struct IMsgStore;

// Sends text to recipient (a phone number, passed on unchanged). True when the message was handed
// over: submitted to the store, or accepted by the SMS library (any non-negative result). Reports
// nothing to the user.
bool SendTextMessage(const wchar_t* recipient, const wchar_t* text);

// The message-store road: starts the transport ("tmail.exe -service"), creates the message in the
// folder for new outgoing messages of the store "SMS" and submits it.
bool SendViaMessageStore(const wchar_t* recipient, const wchar_t* text);

// The direct road: sends through the SMS library and, on plain success (result 0), files a copy.
// A recipient longer than the address field (255 characters) is refused.
bool SendViaSmsLibrary(const wchar_t* recipient, const wchar_t* text);

// Files a copy of a sent message in the sent-items folder of the store "SMS", flags 0x21 (read, from
// me) with the delivery time now; not submitted.
bool FileSentMessage(const wchar_t* recipient, const wchar_t* text);

// Looks through the session's stores for the one named exactly "SMS" and gives it (open, for the
// caller to release) with a copy of the entry identifier its folderProperty names (for
// MAPIFreeBuffer). False, with both outputs empty, when there is no such store, the search meets a
// store lacking the property or its name, or the identifier is empty.
bool FindSmsStoreFolder(IMAPISession* session, ULONG folderProperty, IMsgStore*& store, ULONG& folderIdSize,
                        BYTE*& folderId);
