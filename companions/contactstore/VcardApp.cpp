#include "companions/contactstore/VcardApp.h"

#include "companions/contactstore/VcardItem.h"

#include <new>

namespace contactstore {

HRESULT VcardApp::Logon(HWND) {
    store_ = given_ ? given_ : VcardContactStore::Shared();
    return store_ ? S_OK : E_FAIL;
}

HRESULT VcardApp::Logoff() {
    store_.reset();
    return S_OK;
}

HRESULT VcardApp::GetItemFromOid(CEOID oid, IUnknown** item) {
    if (!item) return E_POINTER;
    *item = nullptr;
    if (!store_) return E_FAIL;
    std::shared_ptr<const ContactSnapshot> snapshot = store_->Snapshot();
    const ContactSnapshot::Entry* entry = snapshot->Find(oid);
    if (!entry) return E_INVALIDARG;
    *item = new (std::nothrow) VcardItem(snapshot, *entry);
    return *item ? S_OK : E_OUTOFMEMORY;
}

} // namespace contactstore
