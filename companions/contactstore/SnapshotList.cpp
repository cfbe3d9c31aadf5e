#include "companions/contactstore/SnapshotList.h"

namespace contactstore {

HRESULT SnapshotList::Get(ULONG index, CatalogContact* contact) {
    if (!contact) return E_POINTER;
    if (index >= snapshot_->CardCount()) return E_INVALIDARG;
    const ContactSnapshot::Entry& entry = snapshot_->ByOid[index];
    const vcard::CardSet& set = snapshot_->SetOf(entry);
    const vcard::Card& card = snapshot_->CardOf(entry);
    auto text = [&](int field) {
        const std::string_view bytes = set.Get(card, static_cast<vcard::Field>(field));
        return CatalogText{bytes.data(), static_cast<ULONG>(bytes.size())};
    };
    contact->Oid = entry.Oid;
    contact->SortName = text(vcard::SortName);
    contact->Company = text(vcard::Company);
    for (int kind = 0; kind < CatalogPhoneKinds; ++kind)
        contact->Phones[kind] = text(vcard::PhoneField(kind));
    contact->Notes = text(vcard::Notes);
    contact->RawNotes = card.RawNotes;
    return S_OK;
}

} // namespace contactstore
