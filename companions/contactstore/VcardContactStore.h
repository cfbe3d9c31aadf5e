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
// Files. In a folder, the store's files are those named "*.vcf", but not the hidden and temporary
// files that editors and sync tools keep beside the cards (".name.vcf", "~name.vcf"); subfolders are
// not looked into. Start-up lists the folder in one pass (names, sizes and write times, no file
// opened) and takes the cards of every file that has not changed since the last run from the card
// cache (CardCache.h); only new and changed files are read.
//
// Changes. A thread watches the folder and collects the names of the files that change; once the
// folder has been quiet for SettleMs it looks at just those files, reads what changed and posts
// message 2024 with lParam 2 to the main window of its own process, once for the whole batch. (When
// the system loses track of the names, or cannot watch the folder at all, the whole folder is looked
// at; so it is every FullLookMs, in case a change went untold.) A file written elsewhere and renamed
// over one of the store's is one change; a file renamed keeps its cards' ids (ContactIds.h).
// A change that would take contacts away - a file gone whose cards appear nowhere else, emptied,
// ending inside a card, or holding fewer of the cards it held - is not believed at once: the file
// keeps the cards it had until it has stayed so for ConfirmMs and reads the same again, so an editor's
// or a sync tool's save never unbinds a button on the way. A file that cannot be read (held by another
// program) keeps its cards too - at start-up those the cache has of it - and is tried again.
//
// What could not be read is written to the error log, one line per problem and load (file, card,
// line, what), at most ReportLimit lines per load and then a count of the rest.
#include "companions/contactstore/ContactIds.h"
#include "companions/contactstore/ContactSnapshot.h"

#include <windows.h>

#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace contactstore {

class FolderWatch;

class VcardContactStore {
public:
    struct Options {
        std::wstring Location;  // file or folder
        std::wstring StatePath; // where the ids are kept; empty keeps them in memory only
        bool Watch = true;
        std::wstring CachePath; // the card cache; empty keeps none
    };

    static constexpr DWORD SettleMs = 150;
    static constexpr DWORD ConfirmMs = 700;
    static constexpr DWORD FullLookMs = 30000;
    static constexpr DWORD PollMs = 2000;      // the whole folder, while it cannot be watched
    static constexpr DWORD SaveDelayMs = 1000; // from a change to writing the cache
    static constexpr int ReportLimit = 200;

    explicit VcardContactStore(Options options);
    VcardContactStore(const VcardContactStore&) = delete;
    VcardContactStore& operator=(const VcardContactStore&) = delete;
    ~VcardContactStore();

    // Looks at every file again; true when the cards changed.
    bool Reload();
    // Looks again at the named files of the folder (and those whose change waits to be believed) only.
    bool Reload(const std::vector<std::wstring>& names);
    // Writes the card cache now if the cards changed since it was last written.
    void SaveCache();
    std::shared_ptr<const ContactSnapshot> Snapshot() const;

    // The location and the state file the program uses (see above).
    static std::wstring DefaultLocation();
    static std::wstring DefaultStatePath();
    static std::wstring DefaultCachePath();

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

    bool Look(const std::vector<std::wstring>* names);
    std::vector<StoreFile> ListFiles() const;
    // The files as the snapshot has them, but for the named ones (and the held ones), looked at now.
    // In looked the named (and the held) files as they are now; in files those and every other file of
    // the snapshot, in name order.
    void ListNamed(const ContactSnapshot& snapshot, std::vector<std::wstring> names,
                   std::vector<StoreFile>& looked, std::vector<const StoreFile*>& files) const;
    // Takes in what the start-up's reading of the ids and the cache gave.
    void TakeCache();
    // The cache's entry for the file; null when it has none.
    std::shared_ptr<const FileCards> CachedEntry(const std::wstring& name) const;
    // The cards of a file, with what was wrong in them; null when it cannot be read.
    std::shared_ptr<FileCards> ReadCards(const StoreFile& file, DWORD& error) const;
    // Whether a change that takes cards away has stayed as seen for ConfirmMs; starts the wait when the
    // file is seen so for the first time.
    bool Confirmed(const std::wstring& name, const StoreFile& seen, bool gone);
    std::wstring PathOf(const std::wstring& name) const;
    bool Waiting() const;
    void MarkCacheDirty();
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
    // The ids and the cache being read at start-up; the cache as read, until the first look is done.
    struct Loaded {
        int BadIds = 0;
        std::vector<std::shared_ptr<const FileCards>> Files;
        std::wstring Why;
    };
    std::future<Loaded> loadingCache_;
    std::vector<std::shared_ptr<const FileCards>> cached_;
    bool cacheDirty_ = false;
    DWORD cacheDue_ = 0; // tick count when a dirty cache is written
    std::unique_ptr<FolderWatch> watch_;
    HANDLE stop_ = nullptr;
    std::thread watcher_;
};

} // namespace contactstore
