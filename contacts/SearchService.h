#pragma once
// Client of the contact search service, a separate library run as a platform service: the keypad
// search (code 1), a contact's record (code 2) and the contacts having a number (code 5).
#include "contacts/ContactDetails.h"
#include "foundation/Array.h"
#include "foundation/WString.h"
#include "platform/SearchServiceProtocol.h"

#include <windows.h>

#include <vector>

// Where the service lives. The program always uses PimSearchService; tests bring their own.
struct SearchServiceLocation {
    const wchar_t* library;
    const wchar_t* prefix;
};
inline constexpr SearchServiceLocation PimSearchService{search_service::LibraryName, search_service::Prefix};

// Sends one request to the service, starting it first when it is not running. Non-zero on success.
int CallService(DWORD code, const void* input, DWORD inputBytes, void* output, DWORD outputBytes,
                DWORD* actualBytes, const SearchServiceLocation& location = PimSearchService);

// One kind of request with its own reply buffer, reused from call to call and grown once to the size
// the service asks for.
class ServiceOperation {
public:
    explicit ServiceOperation(DWORD code, const SearchServiceLocation& location = PimSearchService)
        : code_(code), location_(location) {}
    // The reply, valid until the next call; null on failure.
    const BYTE* Call(const void* input, DWORD inputBytes, DWORD& replyBytes);

private:
    DWORD code_;
    SearchServiceLocation location_;
    std::vector<BYTE> buffer_ = std::vector<BYTE>(4096);
};

struct SearchResult {
    Array<int> ids;       // contacts in the order the service gives them
    Array<WString> texts; // the texts that follow them (match patterns for the picker)
};

// Code 1: contacts found by keypad digits. false when the service fails.
bool SearchContacts(ServiceOperation& operation, const wchar_t* query, int length, SearchResult& result);

// What the service tells of one contact (code 2); the meaning of First, Second and the two trailing
// texts is the service's own.
struct ServiceRecord {
    DWORD First = 0;
    DWORD Second = 0;
    WString Name;
    Array<PhoneEntry> Phones;
    WString Trailing1, Trailing2;
};

// Code 2: the record of a contact; false when there is none or the service fails.
bool GetContactRecord(ServiceOperation& operation, DWORD oid, ServiceRecord& record);

// Code 5: the contacts having this number; empty when there are none or the service fails.
Array<int> FindContactsByNumber(ServiceOperation& operation, const wchar_t* number);

// The process-wide operations of the program.
ServiceOperation& SearchOperation();
ServiceOperation& RecordOperation();
ServiceOperation& NumberOperation();
