#pragma once
// The contact object model's application object on a vCard store: logs on to the store and finds
// items by object id.
#include "companions/contactstore/VcardContactStore.h"
#include "platform/ComObject.h"
#include "platform/ContactStorePoom.h"

#include <memory>

namespace contactstore {

class VcardApp final : public platform::ComObject<IPOutlookApp> {
public:
    // On store, or, with a null store, on the process's shared one (VcardContactStore::Shared).
    explicit VcardApp(std::shared_ptr<VcardContactStore> store) : given_(std::move(store)) {}

    HRESULT STDMETHODCALLTYPE Logon(HWND window) override;
    HRESULT STDMETHODCALLTYPE Logoff() override;
    HRESULT STDMETHODCALLTYPE GetItemFromOid(CEOID oid, IUnknown** item) override;

private:
    const IID& Identity() const override { return IID_IPOutlookApp; }

    std::shared_ptr<VcardContactStore> given_;
    std::shared_ptr<VcardContactStore> store_;
};

} // namespace contactstore
