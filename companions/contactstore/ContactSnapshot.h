#pragma once
// What the contact store holds at one moment: the cards of each file and the object id of each card.
// A snapshot never changes once made; readers keep the one they were given while the store moves on.
#include "companions/contactstore/VcardReader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace contactstore {

// Name, size and time of one file of the store, to tell whether it changed.
struct StoreFile {
    std::wstring Name; // within the store's folder
    uint64_t Size = 0;
    uint64_t WriteTime = 0;
    bool operator==(const StoreFile&) const = default;
};

// The cards of one file as last read.
struct FileCards {
    StoreFile File;
    uint64_t ReadAt = 0; // system time (FILETIME units) just before it was read
    vcard::CardSet Set;
    bool Complete = true;
    std::vector<std::wstring> Problems; // what was wrong in it, one error-log line each
};

struct ContactSnapshot {
    struct Entry {
        uint32_t Oid;
        uint32_t File;
        uint32_t Card;
    };
    std::vector<std::shared_ptr<const FileCards>> Files;
    std::vector<Entry> ByOid; // sorted by Oid
    uint32_t Version = 0;     // counts up with every snapshot the store makes

    const Entry* Find(uint32_t oid) const;
    size_t CardCount() const { return ByOid.size(); }
    const vcard::CardSet& SetOf(const Entry& entry) const { return Files[entry.File]->Set; }
    const vcard::Card& CardOf(const Entry& entry) const { return SetOf(entry).Cards[entry.Card]; }
};

} // namespace contactstore
