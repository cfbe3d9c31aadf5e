#pragma once
// The catalog of a vCard store: its version and its contacts as one unchanging list.
#include "companions/contactstore/VcardContactStore.h"
#include "platform/ComObject.h"
#include "platform/ContactCatalog.h"

#include <memory>

namespace contactstore {

class VcardCatalog final : public platform::ComObject<IContactCatalog> {
public:
    explicit VcardCatalog(std::shared_ptr<VcardContactStore> store) : store_(std::move(store)) {}

    ULONG STDMETHODCALLTYPE Version() override;
    HRESULT STDMETHODCALLTYPE List(IContactList** list) override;

private:
    const IID& Identity() const override { return IID_IContactCatalog; }

    std::shared_ptr<VcardContactStore> store_;
};

} // namespace contactstore
