#pragma once
// One contact of a snapshot as the contact object model's item: its properties by id, its notes and
// picture as streams. It keeps the snapshot it was found in, so it reads the same card however the
// store changes meanwhile.
#include "companions/contactstore/ContactSnapshot.h"
#include "platform/ComObject.h"
#include "platform/ContactStorePoom.h"

#include <memory>

namespace contactstore {

class VcardItem final : public platform::ComObject<IItem> {
public:
    VcardItem(std::shared_ptr<const ContactSnapshot> snapshot, const ContactSnapshot::Entry& entry)
        : snapshot_(std::move(snapshot)), entry_(entry) {}

    HRESULT STDMETHODCALLTYPE GetProps(const CEPROPID* ids, ULONG flags, WORD count, CEPROPVAL** values,
                                       ULONG* size, HANDLE heap) override;
    HRESULT STDMETHODCALLTYPE OpenProperty(CEPROPID id, DWORD mode, IStream** stream) override;

private:
    const IID& Identity() const override { return IID_IItem; }

    std::shared_ptr<const ContactSnapshot> snapshot_;
    ContactSnapshot::Entry entry_;
};

} // namespace contactstore
