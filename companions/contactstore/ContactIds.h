#pragma once
// The object ids of the store's cards: 32-bit, never 0, given once and kept for good, so a button bound
// to a contact stays bound to it across edits, reloads and restarts.
//
// A card is known by keys, hashes of its texts (vcard::Card), tried in order:
//
// | card                                         | first key                | then                      |
// |----------------------------------------------|--------------------------|---------------------------|
// | with a UID no other card has                 | its UID                  | its UID and names         |
// | with a UID other cards have too              | its UID and names (#n)   | its UID (#n), as of old   |
// | without a UID, alone in its file of a folder | the file name            | its names in such a file  |
// | without a UID otherwise                      | its names (#n)           |                           |
//
// "Names" are the card's FN, N and ORG texts as written. Where cards have the same key, the second in
// the store's order gets "#2" appended to it, the third "#3", and so on, so that exact duplicates keep
// their ids by their order. So a card keeps its id when it moves to another file or its file is
// renamed (same UID), when its names change (same UID, or same file), and when cards that share a UID
// are written in another order (their names tell them apart). A card first takes the id of its first
// key, else of its second, where no other card of the store has taken that id already; else it gets a
// new id derived from its first key (the next free value on a clash). New keys are appended to the
// state file "contact-ids.txt" (%LOCALAPPDATA%\Orvanix\Dialvane), one "oid keyhash" line each, 8 and 16
// hexadecimal digits; a later line for a key replaces an earlier one, and a line that is not whole is
// skipped. Keys are never forgotten, so an id is never given to another card.
#include "companions/contactstore/ContactSnapshot.h"
#include "companions/contactstore/KeyTable.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace contactstore {

class ContactIds {
public:
    // With an empty path the ids are kept in memory only.
    explicit ContactIds(std::wstring statePath) : statePath_(std::move(statePath)) {}

    // Reads the state file; the count of its lines that could not be read.
    int Load();

    struct Assignment {
        std::vector<ContactSnapshot::Entry> ByOid;          // every card with its id, sorted by id
        std::vector<std::pair<uint64_t, uint32_t>> Learned; // keys to remember, with their ids
        int SharedUids = 0;                                 // cards whose UID another card has too
    };
    // The ids the cards of the snapshot get; nothing is remembered until Commit. Cards alone in their
    // file are known by the file name when folder is set.
    Assignment Assign(const ContactSnapshot& snapshot, bool folder) const;
    // Remembers the assignment's new keys, in memory and in the state file.
    void Commit(const Assignment& assignment);

private:
    void Append(const std::vector<std::pair<uint64_t, uint32_t>>& learned) const;

    std::wstring statePath_;
    KeyTable ids_;     // key -> oid
    KeyTable usedIds_; // oid -> 1, every id ever given
};

} // namespace contactstore
