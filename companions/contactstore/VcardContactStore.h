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
// stores of their own. Object ids: ContactIds.h.
//
// Changes. A thread watches the folder; once the files have been quiet for SettleMs it looks at them
// again, reads what changed and posts message 2024 with lParam 2 to the main window of its own process.
// A change that would take contacts away - a file gone, emptied, ending inside a card, or holding fewer
// of the cards it held - is not believed at once: the file keeps the cards it had until it has stayed
// so for ConfirmMs and reads the same again, so an editor's or a sync tool's save never unbinds a
// button on the way. A file that cannot be read (held by another program) keeps its cards too and is
// tried again.
//
// What could not be read is written to the error log, one line per problem and load (file, card,
// line, what), at most ReportLimit lines per load and then a count of the rest.
#include "companions/contactstore/ContactIds.h"
#include "companions/contactstore/ContactSnapshot.h"

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace contactstore {

class VcardContactStore {
public:
    struct Options {
        std::wstring Location;  // file or folder
        std::wstring StatePath; // where the ids are kept; empty keeps them in memory only
        bool Watch = true;
    };

    static constexpr DWORD SettleMs = 150;
    static constexpr DWORD ConfirmMs = 700;
    static constexpr int ReportLimit = 200;

    explicit VcardContactStore(Options options);
    VcardContactStore(const VcardContactStore&) = delete;
    VcardContactStore& operator=(const VcardContactStore&) = delete;
    ~VcardContactStore();

    // Looks at the files again; true when the cards changed.
    bool Reload();
    std::shared_ptr<const ContactSnapshot> Snapshot() const;

    // The location and the state file the program uses (see above).
    static std::wstring DefaultLocation();
    static std::wstring DefaultStatePath();

    // The one store of the process: the one the logged-on application objects and the catalogs share,
    // made from the defaults when none is alive or the location setting has changed since.
    static std::shared_ptr<VcardContactStore> Shared();

private:
    // A file whose change waits to be believed: what it looked like when first seen so, and since when.
    struct Held {
        StoreFile Seen;
        bool Gone = false;
        DWORD Since = 0;
    };

    std::vector<StoreFile> ListFiles() const;
    // The cards of a file, and what was wrong with them; null when it cannot be read.
    std::shared_ptr<FileCards> ReadCards(const StoreFile& file, DWORD& error,
                                         std::vector<std::wstring>& problems) const;
    // Whether a change that takes cards away has stayed as seen for ConfirmMs; starts the wait when the
    // file is seen so for the first time.
    bool Confirmed(const std::wstring& name, const StoreFile& seen, bool gone);
    std::wstring PathOf(const std::wstring& name) const;
    bool Waiting() const;
    void Watch();

    Options options_;
    bool folder_ = false;
    std::wstring directory_; // the folder that holds the store's files, with a trailing backslash
    ContactIds ids_;
    std::mutex loading_;
    mutable std::mutex current_;
    std::shared_ptr<const ContactSnapshot> snapshot_;
    std::map<std::wstring, Held> held_; // by file name
    int sharedUids_ = 0;                // as last told
    HANDLE stop_ = nullptr;
    std::thread watcher_;
};

} // namespace contactstore
