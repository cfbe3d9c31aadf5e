// The contact search service library, "OrvanixPimServ.dll": started by the service manager under
// "IPM0:", it answers the keypad search, record and number requests from an index of the contact
// store that it rebuilds whenever the store's contents change. It reads the store through the contact
// catalog of the process's one store (platform/ContactCatalog.h) and keeps no copy of the cards.
//
// A search starts afresh with the empty query, as every picker opens with it: only then are the keypad
// layout, the ranking setting ("RankByCalls" in "Settings", on unless 0) and the dialer's call log
// read again, so that typing reads neither the registry nor a file. A change to any of them counts
// from the next picker on.
#include "companions/pimservice/CallHistory.h"
#include "companions/pimservice/ContactSearchIndex.h"
#include "foundation/DataFiles.h"
#include "foundation/ScopedHandles.h"
#include "foundation/Settings.h"
#include "platform/ComActivation.h"
#include "platform/SearchServiceProtocol.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

struct Service {
    ComPtr<IContactCatalog> catalog;
    ULONG indexed = 0; // the catalog's version in the index
    bool built = false;
    platform::ContactSearchIndex index;
    bool configured = false; // keys and ranking read
    bool ranking = false;
    platform::CallHistory calls;
    std::wstring callLog = DataFilePath(CallLogName);
    std::vector<DWORD> ids; // of the last search, kept for their storage
    std::vector<std::wstring> patterns;
};

Service* running = nullptr;

void Reindex(Service& service) {
    if (service.built && service.catalog->Version() == service.indexed) return;
    ComPtr<IContactList> list;
    if (FAILED(service.catalog->List(list.Receive())) || !list) return;
    service.index.Build(*list.Get());
    service.indexed = list->Version();
    service.built = true;
}

// Reads the keypad layout, the ranking setting and the call log, as a search starts afresh.
void Configure(Service& service) {
    service.index.SetKeys(LoadKeypadLayout());
    const bool ranking = settings::Read(settings::RankByCalls) != 0;
    bool changed = ranking != service.ranking || !service.configured;
    if (ranking) changed = service.calls.Refresh(service.callLog) || changed;
    if (changed)
        service.index.Rank(ranking ? service.calls.Weights()
                                   : std::vector<platform::CallHistory::NumberWeight>());
    service.ranking = ranking;
    service.configured = true;
}

std::wstring TextOf(const BYTE* input, DWORD bytes) {
    if (!input) return std::wstring();
    return std::wstring(reinterpret_cast<const wchar_t*>(input), bytes / sizeof(wchar_t));
}

} // namespace

extern "C" {

// Nothing to install on the desktop: the service manager finds the library by name.
__declspec(dllexport) BOOL MyRegService() {
    return TRUE;
}

__declspec(dllexport) DWORD IPM_Init(DWORD) {
    if (!running) {
        running = new (std::nothrow) Service;
        if (!running ||
            FAILED(platform::CoCreateInstance(CLSID_ContactCatalog, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IContactCatalog, running->catalog.ReceiveVoid()))) {
            delete running;
            running = nullptr;
            return 0;
        }
    }
    return 1;
}

__declspec(dllexport) BOOL IPM_Deinit(DWORD) {
    delete running;
    running = nullptr;
    return TRUE;
}

// Replies that do not fit report their size in actualBytes and fail, so the caller can retry.
__declspec(dllexport) BOOL IPM_IOControl(DWORD, DWORD code, BYTE* input, DWORD inputBytes, BYTE* output,
                                         DWORD outputBytes, DWORD* actualBytes) {
    if (actualBytes) *actualBytes = 0;
    if (!running || !actualBytes || (inputBytes && !input)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Reindex(*running);
    std::vector<BYTE> reply;
    switch (code) {
    case search_service::KeypadSearchCode: {
        const std::wstring query = TextOf(input, inputBytes);
        if (query.empty() || !running->configured) Configure(*running);
        running->index.Search(query, running->ids, running->patterns);
        reply = platform::SearchReply(running->ids, running->patterns);
        break;
    }
    case search_service::ContactRecordCode: {
        DWORD oid = 0;
        if (inputBytes < sizeof oid) break;
        std::memcpy(&oid, input, sizeof oid);
        if (const auto contact = running->index.Find(oid)) reply = platform::RecordReply(*contact);
        break;
    }
    case search_service::NumberLookupCode:
        reply = platform::NumberReply(running->index.FindByNumber(TextOf(input, inputBytes)));
        break;
    }
    if (reply.empty()) {
        SetLastError(ERROR_NOT_FOUND);
        return FALSE;
    }
    *actualBytes = static_cast<DWORD>(reply.size());
    if (!output || reply.size() > outputBytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(output, reply.data(), reply.size());
    return TRUE;
}
}
