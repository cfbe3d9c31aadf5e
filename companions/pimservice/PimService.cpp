// The contact search service library, "OrvanixPimServ.dll": started by the service manager under
// "IPM0:", it answers the keypad search, record and number requests from an index of the contact
// store that it rebuilds whenever the store's contents change. It reads the store through the contact
// catalog of the process's one store (platform/ContactCatalog.h) and keeps no copy of the cards.
#include "companions/pimservice/ContactSearchIndex.h"
#include "foundation/ScopedHandles.h"
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
        running->index.SetKeys(LoadKeypadLayout());
        std::vector<DWORD> ids;
        std::vector<std::wstring> patterns;
        running->index.Search(TextOf(input, inputBytes), ids, patterns);
        reply = platform::SearchReply(ids, patterns);
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
