#pragma once
// A hash table from 64-bit keys to non-zero 32-bit values kept in two flat blocks, open-addressed:
// the store keeps an entry for every card it has ever seen, up to hundreds of thousands, and a table of
// nodes would spend most of a load allocating them. A value of 0 marks a free slot.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace contactstore {

class KeyTable {
public:
    // The key's value, or null.
    const uint32_t* Find(uint64_t key) const;
    // Adds the key, or gives it a new value; value is not 0.
    void Set(uint64_t key, uint32_t value);
    // Makes room for count keys in all.
    void Reserve(size_t count);
    size_t Size() const { return size_; }

private:
    size_t Home(uint64_t key) const;

    std::vector<uint64_t> keys_;   // a power of two of them, at most three quarters used
    std::vector<uint32_t> values_; // beside them
    size_t size_ = 0;
};

} // namespace contactstore
