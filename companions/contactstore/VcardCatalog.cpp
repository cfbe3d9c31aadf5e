#include "companions/contactstore/VcardCatalog.h"

#include "companions/contactstore/SnapshotList.h"

#include <new>

namespace contactstore {

ULONG VcardCatalog::Version() {
    return store_->Snapshot()->Version;
}

HRESULT VcardCatalog::List(IContactList** list) {
    if (!list) return E_POINTER;
    *list = new (std::nothrow) SnapshotList(store_->Snapshot());
    return *list ? S_OK : E_OUTOFMEMORY;
}

} // namespace contactstore
