#include "companions/contactstore/VcardContactStore.h"

#include "companions/contactstore/CardCache.h"
#include "companions/contactstore/FileAccess.h"
#include "companions/contactstore/FolderWatch.h"
#include "companions/contactstore/TextConversion.h"
#include "foundation/DataFiles.h"
#include "foundation/ErrorLog.h"
#include "foundation/ScopedHandles.h"
#include "platform/MainWindowMessages.h"

#include <algorithm>
#include <functional>
#include <future>
#include <utility>

namespace contactstore {

namespace {

uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

uint64_t SystemTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return Join(now.dwHighDateTime, now.dwLowDateTime);
}

// Whether the name is one the store reads: "*.vcf", but not the hidden files editors and sync tools
// keep beside the cards (".name.vcf", "~name.vcf").
bool IsCardFileName(const std::wstring& name) {
    return name.size() > 4 && name[0] != L'.' && name[0] != L'~' &&
           _wcsicmp(name.c_str() + name.size() - 4, L".vcf") == 0;
}

bool ByName(const StoreFile& a, const StoreFile& b) {
    return a.Name < b.Name;
}

// Tells the main window of this process; a store in another process (the contact viewer's) serves
// that process alone.
void PostContactsChanged() {
    for (HWND window = FindWindowW(MainWindowClassName, nullptr); window;
         window = FindWindowExW(nullptr, window, MainWindowClassName, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == GetCurrentProcessId()) PostMessageW(window, ContactsChangedMessage, 0, ContactsChanged);
    }
}

// The problems the reader found in a file, one line each.
void DescribeProblems(const std::wstring& file, const vcard::ParseResult& parsed, bool empty,
                      std::vector<std::wstring>& lines) {
    if (empty) {
        lines.push_back(file + L": the file is empty");
        return;
    }
    for (const vcard::Problem& problem : parsed.Problems) {
        std::wstring line = file;
        if (!problem.Card.empty()) line += L": card \"" + Wide(problem.Card) + L"\"";
        line += L" (line " + std::to_wstring(problem.Line) + L"): " + Wide(problem.What);
        lines.push_back(std::move(line));
    }
    if (parsed.MoreProblems)
        lines.push_back(file + L": " + std::to_wstring(parsed.MoreProblems) + L" more problems in this file");
    if (parsed.Cards == 0 && parsed.Complete)
        lines.push_back(file + L": no card in it (no BEGIN:VCARD line)");
}

// Whether each file of old has cards whose ids the assignment no longer gives.
std::vector<bool> FilesLosingCards(const ContactSnapshot& old, const ContactIds::Assignment& assignment) {
    std::vector<bool> losing(old.Files.size(), false);
    auto next = assignment.ByOid.begin();
    for (const ContactSnapshot::Entry& entry : old.ByOid) {
        while (next != assignment.ByOid.end() && next->Oid < entry.Oid) ++next;
        if (next == assignment.ByOid.end() || next->Oid != entry.Oid) losing[entry.File] = true;
    }
    return losing;
}

} // namespace

VcardContactStore::VcardContactStore(Options options)
    : options_(std::move(options)), ids_(options_.StatePath) {
    const DWORD attributes = GetFileAttributesW(options_.Location.c_str());
    folder_ = attributes != INVALID_FILE_ATTRIBUTES
                  ? (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                  : options_.Location.size() < 4 ||
                        _wcsicmp(options_.Location.c_str() + options_.Location.size() - 4, L".vcf") != 0;
    directory_ =
        folder_ ? options_.Location : options_.Location.substr(0, options_.Location.find_last_of(L'\\'));
    if (directory_.empty() || directory_.back() != L'\\') directory_ += L'\\';
    snapshot_ = std::make_shared<ContactSnapshot>();
    // The ids and the cache are read on a thread of their own while the first look lists the folder,
    // which under Wine takes as long as both.
    loadingCache_ = std::async(std::launch::async, [this] {
        Loaded loaded;
        loaded.BadIds = ids_.Load();
        if (!options_.CachePath.empty())
            loaded.Files = ReadCardCache(options_.CachePath, options_.Location, loaded.Why);
        return loaded;
    });
    // Watched from before the first look, so that no change made while it reads goes untold.
    if (options_.Watch) {
        watch_ = std::make_unique<FolderWatch>(directory_);
        watch_->Start();
    }
    Reload();
    if (options_.Watch) {
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (stop_) watcher_ = std::thread([this] { Watch(); });
    }
}

VcardContactStore::~VcardContactStore() {
    if (watcher_.joinable()) {
        SetEvent(stop_);
        watcher_.join();
    }
    if (stop_) CloseHandle(stop_);
    watch_.reset();
    SaveCache();
}

std::shared_ptr<const ContactSnapshot> VcardContactStore::Snapshot() const {
    std::lock_guard lock(current_);
    return snapshot_;
}

std::wstring VcardContactStore::PathOf(const std::wstring& name) const {
    return directory_ + name;
}

std::vector<StoreFile> VcardContactStore::ListFiles() const {
    std::vector<StoreFile> files;
    if (!folder_) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExW(options_.Location.c_str(), GetFileExInfoStandard, &data) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back({options_.Location.substr(directory_.size()),
                             Join(data.nFileSizeHigh, data.nFileSizeLow),
                             Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)});
        return files;
    }
    WIN32_FIND_DATAW data;
    ScopedFind find(FindFirstFileExW((directory_ + L"*").c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return files;
    StoreFile file;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        file.Name = data.cFileName;
        if (!IsCardFileName(file.Name)) continue;
        file.Size = Join(data.nFileSizeHigh, data.nFileSizeLow);
        file.WriteTime = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
        files.push_back(std::move(file));
    } while (FindNextFileW(find.Get(), &data));
    std::sort(files.begin(), files.end(), ByName);
    return files;
}

void VcardContactStore::ListNamed(const ContactSnapshot& snapshot, std::vector<std::wstring> names,
                                  std::vector<StoreFile>& looked,
                                  std::vector<const StoreFile*>& files) const {
    for (const auto& [name, held] : held_) names.push_back(name);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    looked.reserve(names.size());
    for (const std::wstring& name : names) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!IsCardFileName(name) || name.find_first_of(L"\\/") != std::wstring::npos ||
            !GetFileAttributesExW(PathOf(name).c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        looked.push_back({name, Join(data.nFileSizeHigh, data.nFileSizeLow),
                          Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)});
    }
    // The files not looked at stay as the snapshot has them; both lists are sorted by name.
    files.reserve(snapshot.Files.size() + looked.size());
    auto next = looked.cbegin();
    for (const auto& held : snapshot.Files) {
        const StoreFile& file = held->File;
        for (; next != looked.cend() && next->Name < file.Name; ++next) files.push_back(&*next);
        if (!std::binary_search(names.begin(), names.end(), file.Name)) files.push_back(&file);
    }
    for (; next != looked.cend(); ++next) files.push_back(&*next);
}

void VcardContactStore::TakeCache() {
    Loaded loaded = loadingCache_.get();
    cached_ = std::move(loaded.Files);
    if (loaded.BadIds) {
        ProblemReport report(L"contact store", L"ids");
        report.Add((options_.StatePath + L": " + std::to_wstring(loaded.BadIds) + L" lines could not be read")
                       .c_str());
    }
    if (!loaded.Why.empty()) {
        ProblemReport report(L"contact store", L"cache");
        report.Add(
            (options_.CachePath + L": " + loaded.Why + L"; the cards are read from their files").c_str());
    }
}

std::shared_ptr<const FileCards> VcardContactStore::CachedEntry(const std::wstring& name) const {
    auto found = std::lower_bound(
        cached_.begin(), cached_.end(), name,
        [](const auto& entry, const std::wstring& value) { return entry->File.Name < value; });
    return found != cached_.end() && (*found)->File.Name == name ? *found : nullptr;
}

std::shared_ptr<FileCards> VcardContactStore::ReadCards(const StoreFile& file, DWORD& error) const {
    std::string bytes;
    const uint64_t readAt = SystemTime();
    if (!ReadWholeFile(PathOf(file.Name), bytes, error)) return nullptr;
    auto cards = std::make_shared<FileCards>();
    cards->File = file;
    cards->ReadAt = readAt;
    const vcard::ParseResult parsed = vcard::ParseVcards(bytes, cards->Set);
    cards->Complete = parsed.Complete && !bytes.empty();
    DescribeProblems(file.Name, parsed, bytes.empty(), cards->Problems);
    return cards;
}

bool VcardContactStore::Confirmed(const std::wstring& name, const StoreFile& seen, bool gone) {
    const DWORD now = GetTickCount();
    auto found = held_.find(name);
    if (found == held_.end() || found->second.Gone != gone || !(found->second.Seen == seen)) {
        held_[name] = {seen, gone, now};
        return false;
    }
    return now - found->second.Since >= ConfirmMs;
}

bool VcardContactStore::Reload() {
    return Look(nullptr);
}

bool VcardContactStore::Reload(const std::vector<std::wstring>& names) {
    return Look(&names);
}

bool VcardContactStore::Look(const std::vector<std::wstring>* names) {
    std::lock_guard lock(loading_);
    const std::shared_ptr<const ContactSnapshot> old = Snapshot();
    ProblemReport report(L"contact store", L"load", ReportLimit);
    // The files as they are now, in name order; those not looked at again point into the snapshot.
    std::vector<StoreFile> looked;
    std::vector<const StoreFile*> listed;
    if (names && folder_) {
        ListNamed(*old, *names, looked, listed);
    } else {
        looked = ListFiles();
        listed.reserve(looked.size());
        for (const StoreFile& file : looked) listed.push_back(&file);
    }
    // At start-up the cache and the ids were read meanwhile.
    if (loadingCache_.valid()) TakeCache();

    // Each file as it is now next to what the store holds of it (or, at start-up, what the cache holds
    // of it); both lists are sorted by name.
    struct Change {
        std::shared_ptr<const FileCards> before, after; // null: not there, or not readable
        size_t index = SIZE_MAX;                        // of before in old->Files; none from the cache
        const StoreFile* seen = nullptr;                // the file as listed (its name alone when gone)
        bool gone = false, unreadable = false, fresh = false;
        bool suspect = false; // takes cards away by the look of it
        DWORD error = 0;
    };
    std::vector<Change> changes;
    changes.reserve(std::max(listed.size(), old->Files.size()));
    size_t o = 0, fromCache = 0;
    auto gone = [&](size_t index) {
        Change change;
        change.before = old->Files[index];
        change.index = index;
        change.seen = &change.before->File;
        change.gone = true;
        changes.push_back(std::move(change));
    };
    for (const StoreFile* listedFile : listed) {
        const StoreFile& file = *listedFile;
        for (; o < old->Files.size() && old->Files[o]->File.Name < file.Name; ++o) gone(o);
        Change change;
        change.seen = listedFile;
        if (o < old->Files.size() && old->Files[o]->File.Name == file.Name) {
            change.index = o;
            change.before = old->Files[o++];
        } else if (!cached_.empty()) {
            change.before = CachedEntry(file.Name);
        }
        if (change.before && (change.index != SIZE_MAX ? change.before->File == file
                                                       : CacheEntryHolds(*change.before, file))) {
            change.after = change.before;
            fromCache += change.index == SIZE_MAX;
        } else if (!(change.after = ReadCards(file, change.error))) {
            change.unreadable = true;
            change.after = change.before;
        } else {
            change.fresh = true;
            change.suspect =
                change.before && !change.before->Set.Cards.empty() &&
                (!change.after->Complete || change.after->Set.Cards.size() < change.before->Set.Cards.size());
        }
        changes.push_back(std::move(change));
    }
    for (; o < old->Files.size(); ++o) gone(o);

    auto build = [&] {
        auto fresh = std::make_shared<ContactSnapshot>();
        fresh->Files.reserve(changes.size());
        for (const Change& change : changes)
            if (change.after) fresh->Files.push_back(change.after);
        return fresh;
    };
    std::shared_ptr<ContactSnapshot> fresh = build();
    ContactIds::Assignment assignment = ids_.Assign(*fresh, folder_);

    // A change that takes cards away counts once it has stayed the same for ConfirmMs; a file that
    // cannot be read keeps what it had and is tried again. A file gone whose cards live on in another
    // (renamed, or moved within the folder) takes nothing away.
    const std::vector<bool> losing = FilesLosingCards(*old, assignment);
    bool holding = false;
    for (Change& change : changes) {
        const std::wstring& name = change.seen->Name;
        if (change.unreadable) {
            const bool told = held_.count(name) && held_[name].Seen == *change.seen;
            Confirmed(name, *change.seen, false);
            // Gone between the listing and the reading: the next look tells.
            if (!told && change.error != ERROR_FILE_NOT_FOUND && change.error != ERROR_PATH_NOT_FOUND)
                report.Add(
                    (name + L": could not be read (" + ErrorText(change.error) + L"); tried again").c_str());
            continue;
        }
        const bool losingCards = change.index != SIZE_MAX && losing[change.index];
        if (change.before == change.after || !change.before || (!change.suspect && !losingCards) ||
            Confirmed(name, *change.seen, change.gone)) {
            held_.erase(name);
            // What is wrong in a file is told whenever it is taken in, from its text or from the cache.
            if (change.after && (change.fresh || change.index == SIZE_MAX))
                for (const std::wstring& problem : change.after->Problems) report.Add(problem.c_str());
            continue;
        }
        change.after = change.before;
        holding = true;
    }
    if (holding) {
        fresh = build();
        assignment = ids_.Assign(*fresh, folder_);
    }
    // A file that was waited for and is neither there nor held any more (it vanished before it could
    // be read) is waited for no longer. Every look takes in the held files, and changes is in name order.
    for (auto held = held_.begin(); held != held_.end();) {
        const bool seen = std::ranges::binary_search(
            changes, held->first, std::less{},
            [](const Change& change) -> const std::wstring& { return change.seen->Name; });
        held = seen ? std::next(held) : held_.erase(held);
    }
    // The cache is written again unless it holds exactly what the store now holds.
    const bool cacheCurrent =
        !cached_.empty() && fromCache == cached_.size() && fromCache == fresh->Files.size();
    const bool firstLook = old->Version == 0 && names == nullptr;
    cached_.clear();
    cached_.shrink_to_fit();

    bool changed = fresh->Files.size() != old->Files.size();
    for (size_t i = 0; !changed && i < fresh->Files.size(); ++i) changed = fresh->Files[i] != old->Files[i];
    if (!changed) {
        if (firstLook && !cacheCurrent && !options_.CachePath.empty()) MarkCacheDirty();
        return false;
    }
    if (assignment.SharedUids && assignment.SharedUids != sharedUids_)
        report.Add((std::to_wstring(assignment.SharedUids) +
                    L" cards share their UID with another card: they are told apart by their names")
                       .c_str());
    sharedUids_ = assignment.SharedUids;
    ids_.Commit(assignment);
    fresh->ByOid = std::move(assignment.ByOid);
    fresh->Version = old->Version + 1;
    {
        std::lock_guard swap(current_);
        snapshot_ = std::move(fresh);
    }
    if (!cacheCurrent && !options_.CachePath.empty()) MarkCacheDirty();
    return true;
}

void VcardContactStore::MarkCacheDirty() {
    if (!cacheDirty_) cacheDue_ = GetTickCount() + SaveDelayMs;
    cacheDirty_ = true;
}

void VcardContactStore::SaveCache() {
    std::shared_ptr<const ContactSnapshot> snapshot;
    {
        std::lock_guard lock(loading_);
        if (!cacheDirty_) return;
        cacheDirty_ = false;
        snapshot = Snapshot();
    }
    DWORD error = 0;
    if (!WriteCardCache(options_.CachePath, options_.Location, snapshot->Files, error)) {
        ProblemReport report(L"contact store", L"cache");
        report.Add((options_.CachePath + L": could not be written (" + ErrorText(error) + L")").c_str());
    }
}

bool VcardContactStore::Waiting() const {
    return !held_.empty();
}

void VcardContactStore::Watch() {
    FolderWatch& watch = *watch_;
    std::vector<std::wstring> names;
    DWORD lastFull = GetTickCount();
    auto stopped = [this] { return WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0; };
    for (;;) {
        bool waiting, dirty;
        DWORD due;
        {
            std::lock_guard lock(loading_);
            waiting = Waiting();
            dirty = cacheDirty_;
            due = cacheDue_;
        }
        const bool watching = watch.Watching();
        DWORD timeout = waiting ? ConfirmMs / 2 : watching ? FullLookMs : PollMs;
        if (dirty) {
            const LONG left = static_cast<LONG>(due - GetTickCount());
            timeout = std::min<DWORD>(timeout, left > 0 ? static_cast<DWORD>(left) : 0);
        }
        HANDLE handles[] = {stop_, watch.Event()};
        const DWORD woken = WaitForMultipleObjects(watching ? 2 : 1, handles, FALSE, timeout);
        if (woken == WAIT_OBJECT_0) return;
        // Let the writers finish: the folder must have been quiet for SettleMs. The names told meanwhile
        // are the batch.
        bool told = false, everything = false;
        if (woken == WAIT_OBJECT_0 + 1) {
            told = true;
            do {
                if (watch.Collect(names) != FolderWatch::Told::Names) everything = true;
                if (stopped()) return;
            } while (watch.Watching() &&
                     WaitForMultipleObjects(2, handles, FALSE, SettleMs) == WAIT_OBJECT_0 + 1);
            if (stopped()) return;
        }
        if (!watch.Watching() && watch.Start()) everything = true; // the folder has appeared again
        const DWORD now = GetTickCount();
        bool changed = false;
        if (everything || now - lastFull >= (watch.Watching() ? FullLookMs : PollMs)) {
            changed = Reload();
            lastFull = now;
        } else if (told || waiting) {
            changed = Reload(names);
        }
        names.clear();
        if (changed) PostContactsChanged();
        {
            std::lock_guard lock(loading_);
            dirty = cacheDirty_ && static_cast<LONG>(GetTickCount() - cacheDue_) >= 0;
        }
        if (dirty) SaveCache();
    }
}
std::wstring VcardContactStore::DefaultLocation() {
    wchar_t path[MAX_PATH * 2];
    DWORD size = sizeof path;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\Settings", L"ContactsPath", RRF_RT_REG_SZ,
                     nullptr, path, &size) == ERROR_SUCCESS &&
        path[0]) {
        std::wstring location = path;
        const bool absolute = location.size() > 1 && (location[1] == L':' || location[0] == L'\\');
        return absolute ? location : ExecutableFolder() + location;
    }
    return ExecutableFolder() + L"SampleContacts";
}

std::wstring VcardContactStore::DefaultStatePath() {
    return DataFilePath(L"contact-ids.txt");
}

std::wstring VcardContactStore::DefaultCachePath() {
    return DataFilePath(L"contact-cache.bin");
}

std::shared_ptr<VcardContactStore> VcardContactStore::Shared() {
    static std::mutex guard;
    static std::weak_ptr<VcardContactStore> shared;
    std::lock_guard lock(guard);
    std::shared_ptr<VcardContactStore> store = shared.lock();
    const std::wstring location = DefaultLocation();
    if (!store || store->options_.Location != location) {
        store = std::make_shared<VcardContactStore>(
            Options{location, DefaultStatePath(), true, DefaultCachePath()});
        shared = store;
    }
    return store;
}

} // namespace contactstore
