#include "companions/contactstore/ContactSnapshot.h"

#include <algorithm>

namespace contactstore {

const ContactSnapshot::Entry* ContactSnapshot::Find(uint32_t oid) const {
    auto found = std::lower_bound(ByOid.begin(), ByOid.end(), oid,
                                  [](const Entry& entry, uint32_t value) { return entry.Oid < value; });
    return found != ByOid.end() && found->Oid == oid ? &*found : nullptr;
}

} // namespace contactstore
