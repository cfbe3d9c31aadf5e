#include "companions/contactstore/KeyTable.h"

namespace contactstore {

size_t KeyTable::Home(uint64_t key) const {
    // The bits of the key mixed, so that neighbouring keys spread over the table.
    key ^= key >> 33;
    key *= 0xFF51AFD7ED558CCDull;
    key ^= key >> 33;
    return static_cast<size_t>(key) & (keys_.size() - 1);
}

const uint32_t* KeyTable::Find(uint64_t key) const {
    if (keys_.empty()) return nullptr;
    for (size_t i = Home(key);; i = (i + 1) & (keys_.size() - 1)) {
        if (!values_[i]) return nullptr;
        if (keys_[i] == key) return &values_[i];
    }
}

void KeyTable::Set(uint64_t key, uint32_t value) {
    Reserve(size_ + 1);
    size_t i = Home(key);
    while (values_[i] && keys_[i] != key) i = (i + 1) & (keys_.size() - 1);
    if (!values_[i]) ++size_;
    keys_[i] = key;
    values_[i] = value;
}

void KeyTable::Reserve(size_t count) {
    if (count * 4 <= keys_.size() * 3) return;
    size_t capacity = 16;
    while (capacity * 3 < count * 4) capacity *= 2;
    std::vector<uint64_t> keys(capacity);
    std::vector<uint32_t> values(capacity);
    keys.swap(keys_);
    values.swap(values_);
    size_ = 0;
    for (size_t i = 0; i < keys.size(); ++i)
        if (values[i]) Set(keys[i], values[i]);
}

} // namespace contactstore
