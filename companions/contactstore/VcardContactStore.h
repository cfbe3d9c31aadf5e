#pragma once
// The desktop contact store: vCard files in place of the phone's contact database.
//
// Location: the REG_SZ value "ContactsPath" under HKEY_CURRENT_USER\Software\Orvanix\PIM\Settings, a
// .vcf file or a folder of .vcf files (a relative path counts from the executable's folder); without
// it, the folder "SampleContacts" beside the executable (the bundled sample set). A missing location
// is an empty store that fills when the location appears.
//
// One store per process: the library "DialvaneContacts.dll" keeps it (Shared) and serves it to the
// program's session and to the search service alike (ContactStoreServer.cpp); tests and benchmarks make
// stores of their own.
//
// Object ids: 32-bit, never 0. A card's identity key is its UID; without one, the file name when the
// card is alone in its file of a folder, else its FN, N and ORG texts (a second card with the same
// texts gets "#2" appended, and so on). A new key gets an id derived from the key's hash (the next free
// value on a clash); ids once given are appended to the state file "contact-ids.txt" under
// %LOCALAPPDATA%\Orvanix\Dialvane, one "oid keyhash" line each (8 and 16 hexadecimal digits), so a
// contact keeps its id across restarts and across edits that keep its key. Keys are never forgotten,
// so an id is never reused; a line that is not whole is skipped.
//
// Watching: a thread looks at the files when the system reports a change and at least every half
// second; once they have stopped changing it reads them again and posts message 2024 with lParam 2 to
// the window of class "Orvanix_Dialvane_Wnd_Class". A file that is still being written (it ends
// inside a card, is empty, or cannot be opened) keeps the cards it had until it is complete or has not
// changed for two seconds; a file removed from a folder takes its cards with it.
#include "companions/contactstore/ContactSnapshot.h"
#include "companions/contactstore/KeyTable.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace contactstore {

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

    // The one store of the process: the one the logged-on application objects and the catalogs share,
    // made from the defaults when none is alive or the location setting has changed since.
    static std::shared_ptr<VcardContactStore> Shared();

private:
    std::vector<StoreFile> ListFiles() const;
    void AssignIds(ContactSnapshot& snapshot);
    void LoadIds();
    void SaveIds(const std::vector<std::pair<uint64_t, uint32_t>>& added) const;
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

} // namespace contactstore
