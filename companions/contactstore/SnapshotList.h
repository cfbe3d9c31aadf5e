#pragma once
// A snapshot of the store as the catalog's contact list.
#include "companions/contactstore/ContactSnapshot.h"
#include "platform/ComObject.h"
#include "platform/ContactCatalog.h"

#include <memory>

namespace contactstore {

class SnapshotList final : public platform::ComObject<IContactList> {
public:
    explicit SnapshotList(std::shared_ptr<const ContactSnapshot> snapshot) : snapshot_(std::move(snapshot)) {}

    ULONG STDMETHODCALLTYPE Version() override { return snapshot_->Version; }
    ULONG STDMETHODCALLTYPE Count() override { return static_cast<ULONG>(snapshot_->CardCount()); }
    HRESULT STDMETHODCALLTYPE Get(ULONG index, CatalogContact* contact) override;

private:
    const IID& Identity() const override { return IID_IContactList; }

    std::shared_ptr<const ContactSnapshot> snapshot_;
};

} // namespace contactstore
