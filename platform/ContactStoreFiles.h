#pragma once
// The desktop contact store: vCard files in place of the phone's contact database.
//
// Location: the REG_SZ value "ContactsPath" under HKEY_CURRENT_USER\Software\Orvanix\PIM\Settings, a
// .vcf file or a folder of .vcf files (a relative path counts from the executable's folder); without
// it, the folder "SampleContacts" beside the executable (the bundled sample set). A missing location
// is an empty store that fills when the location appears.
//
// Object ids: 32-bit, never 0. A card's identity key is its UID; without one, the file name when the
// card is alone in its file of a folder, else its FN, N and ORG texts (a second card with the same
// texts gets "#2" appended, and so on). A new key gets an id derived from the key's hash (the next free
// value on a clash); ids once given are kept in the state file "contact-ids.txt" under
// %LOCALAPPDATA%\Orvanix\Dialvane, one "oid keyhash" line each, so a contact keeps its id across
// restarts and across edits that keep its key. Keys are never forgotten, so an id is never reused.
//
// Watching: a thread looks at the files when the system reports a change and at least every half
// second; once they have stopped changing it reads them again and posts message 2024 with lParam 2 to
// the window of class "Orvanix_Dialvane_Wnd_Class". A file that is still being written (it ends
// inside a card, is empty, or cannot be opened) keeps the cards it had until it is complete or has not
// changed for two seconds; a file removed from a folder takes its cards with it.
#include "platform/ContactStorePoom.h"
#include "platform/ContactStoreVcard.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace platform {

// Size and time of one file of the store, to tell whether it changed.
struct StoreFile {
    std::wstring Path;
    uint64_t Size = 0;
    uint64_t WriteTime = 0;
    bool operator==(const StoreFile&) const = default;
};

// The cards of one file as last read.
struct FileCards {
    StoreFile File;
    vcard::CardSet Set;
    bool Complete = true;
};

// Everything the store holds at one moment; items keep the snapshot they were found in.
struct ContactSnapshot {
    struct Entry {
        uint32_t Oid;
        uint32_t File;
        uint32_t Card;
    };
    std::vector<std::shared_ptr<const FileCards>> Files;
    std::vector<Entry> ByOid; // sorted by Oid

    const Entry* Find(uint32_t oid) const;
    size_t CardCount() const { return ByOid.size(); }
};

// A hash table from 64-bit keys to 32-bit values kept in one block, open-addressed: the store keeps an
// entry for every card it has ever seen, up to hundreds of thousands, and a table of nodes would spend
// most of a load allocating them.
class KeyTable {
public:
    // The key's value, or null.
    const uint32_t* Find(uint64_t key) const;
    // Adds the key, or gives it a new value.
    void Set(uint64_t key, uint32_t value);
    // Makes room for count keys in all.
    void Reserve(size_t count);
    size_t Size() const { return size_; }
    template <class Visit> void ForEach(Visit visit) const {
        for (const Slot& slot : slots_)
            if (slot.Used) visit(slot.Key, slot.Value);
    }

private:
    struct Slot {
        uint64_t Key = 0;
        uint32_t Value = 0;
        bool Used = false;
    };
    size_t Home(uint64_t key) const;

    std::vector<Slot> slots_; // a power of two of them, at most three quarters used
    size_t size_ = 0;
};

class VcardContactStore {
public:
    struct Options {
        std::wstring Location;  // file or folder
        std::wstring StatePath; // where the ids are kept; empty keeps them in memory only
        bool Watch = true;
    };

    explicit VcardContactStore(Options options);
    VcardContactStore(const VcardContactStore&) = delete;
    VcardContactStore& operator=(const VcardContactStore&) = delete;
    ~VcardContactStore();

    // Reads the location again; true when the cards changed.
    bool Reload();
    std::shared_ptr<const ContactSnapshot> Snapshot() const;

    // The location and the state file the program uses (see above).
    static std::wstring DefaultLocation();
    static std::wstring DefaultStatePath();

    // The one store of the process: the one the logged-on application objects share, made from the
    // defaults when none is alive or the location setting has changed since.
    static std::shared_ptr<VcardContactStore> Shared();

private:
    std::vector<StoreFile> ListFiles() const;
    void AssignIds(ContactSnapshot& snapshot);
    void LoadIds();
    void SaveIds() const;
    void Watch();

    Options options_;
    bool folder_ = false;
    std::mutex loading_;
    mutable std::mutex current_;
    std::shared_ptr<const ContactSnapshot> snapshot_;
    KeyTable ids_;     // key hash -> oid
    KeyTable usedIds_; // oid -> 0
    // Files seen still being written: the state last seen and the tick count when it was first seen.
    std::unordered_map<std::wstring, std::pair<StoreFile, DWORD>> pending_;
    HANDLE stop_ = nullptr;
    std::thread watcher_;
};

// An application object on store (one reference for the caller); with a null store it logs on to
// the shared one.
IPOutlookApp* CreateVcardApp(std::shared_ptr<VcardContactStore> store);

} // namespace platform
