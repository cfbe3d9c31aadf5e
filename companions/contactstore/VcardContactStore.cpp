#include "companions/contactstore/VcardContactStore.h"

#include "companions/contactstore/FileAccess.h"
#include "companions/contactstore/TextConversion.h"
#include "foundation/DataFiles.h"
#include "foundation/ErrorLog.h"
#include "foundation/ScopedHandles.h"
#include "platform/MainWindowMessages.h"

#include <algorithm>
#include <utility>

namespace contactstore {

namespace {

constexpr DWORD PollMs = 2000;

uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

// Whether the name is one the store reads: "*.vcf", but not the hidden files editors and sync tools
// keep beside the cards (".name.vcf", "~name.vcf").
bool IsCardFileName(const wchar_t* name) {
    const size_t length = wcslen(name);
    return length > 4 && name[0] != L'.' && name[0] != L'~' && _wcsicmp(name + length - 4, L".vcf") == 0;
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
void DescribeProblems(const std::wstring& file, const vcard::ParseResult& parsed,
                      std::vector<std::wstring>& lines) {
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
    if (const int bad = ids_.Load()) {
        ProblemReport report(L"contact store", L"ids");
        report.Add((options_.StatePath + L": " + std::to_wstring(bad) + L" lines could not be read").c_str());
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
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsCardFileName(data.cFileName)) continue;
        files.push_back({data.cFileName, Join(data.nFileSizeHigh, data.nFileSizeLow),
                         Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)});
    } while (FindNextFileW(find.Get(), &data));
    std::sort(files.begin(), files.end(),
              [](const StoreFile& a, const StoreFile& b) { return a.Name < b.Name; });
    return files;
}

std::shared_ptr<FileCards> VcardContactStore::ReadCards(const StoreFile& file, DWORD& error,
                                                        std::vector<std::wstring>& problems) const {
    std::string bytes;
    if (!ReadWholeFile(PathOf(file.Name), bytes, error)) return nullptr;
    auto cards = std::make_shared<FileCards>();
    cards->File = file;
    const vcard::ParseResult parsed = vcard::ParseVcards(bytes, cards->Set);
    cards->Complete = parsed.Complete && !bytes.empty();
    if (!bytes.empty()) DescribeProblems(file.Name, parsed, problems);
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
    std::lock_guard lock(loading_);
    const std::shared_ptr<const ContactSnapshot> old = Snapshot();
    ProblemReport report(L"contact store", L"load", ReportLimit);
    const std::vector<StoreFile> listed = ListFiles();

    // Each file as it is now next to what the store holds of it; both lists are sorted by name.
    struct Change {
        std::shared_ptr<const FileCards> before, after; // null: not there, or not readable
        size_t index = 0;                               // of before in old->Files
        StoreFile seen;                                 // the file as listed
        bool gone = false, unreadable = false;
        bool suspect = false; // takes cards away by the look of it
        DWORD error = 0;
        std::vector<std::wstring> problems;
    };
    std::vector<Change> changes;
    changes.reserve(std::max(listed.size(), old->Files.size()));
    size_t o = 0;
    auto gone = [&](size_t index) {
        Change change;
        change.before = old->Files[index];
        change.index = index;
        change.seen.Name = change.before->File.Name;
        change.gone = change.suspect = true;
        changes.push_back(std::move(change));
    };
    for (const StoreFile& file : listed) {
        for (; o < old->Files.size() && old->Files[o]->File.Name < file.Name; ++o) gone(o);
        Change change;
        change.seen = file;
        if (o < old->Files.size() && old->Files[o]->File.Name == file.Name) {
            change.index = o;
            change.before = old->Files[o++];
        }
        if (change.before && change.before->File == file) {
            change.after = change.before;
        } else if (!(change.after = ReadCards(file, change.error, change.problems))) {
            change.unreadable = true;
            change.after = change.before;
        } else {
            change.suspect =
                change.before &&
                (!change.after->Complete || change.after->Set.Cards.size() < change.before->Set.Cards.size());
        }
        changes.push_back(std::move(change));
    }
    for (; o < old->Files.size(); ++o) gone(o);

    auto build = [&] {
        auto fresh = std::make_shared<ContactSnapshot>();
        for (const Change& change : changes)
            if (change.after) fresh->Files.push_back(change.after);
        return fresh;
    };
    std::shared_ptr<ContactSnapshot> fresh = build();
    ContactIds::Assignment assignment = ids_.Assign(*fresh, folder_);

    // A change that takes cards away counts once it has stayed the same for ConfirmMs; a file that
    // cannot be read keeps what it had and is tried again.
    const std::vector<bool> losing = FilesLosingCards(*old, assignment);
    bool holding = false;
    for (Change& change : changes) {
        const std::wstring& name = change.seen.Name;
        if (change.unreadable) {
            const bool told = held_.count(name) && held_[name].Seen == change.seen;
            Confirmed(name, change.seen, false);
            // Gone between the listing and the reading: the next look tells.
            if (!told && change.error != ERROR_FILE_NOT_FOUND)
                report.Add(
                    (name + L": could not be read (" + ErrorText(change.error) + L"); tried again").c_str());
            continue;
        }
        if (change.before == change.after || !change.before || (!change.suspect && !losing[change.index]) ||
            Confirmed(name, change.seen, change.gone)) {
            held_.erase(name);
            for (const std::wstring& problem : change.problems) report.Add(problem.c_str());
            continue;
        }
        change.after = change.before;
        holding = true;
    }
    if (holding) {
        fresh = build();
        assignment = ids_.Assign(*fresh, folder_);
    }

    bool changed = fresh->Files.size() != old->Files.size();
    for (size_t i = 0; !changed && i < fresh->Files.size(); ++i) changed = fresh->Files[i] != old->Files[i];
    if (!changed) return false;
    if (assignment.SharedUids && assignment.SharedUids != sharedUids_)
        report.Add((std::to_wstring(assignment.SharedUids) +
                    L" cards share their UID with another card: they are told apart by their names")
                       .c_str());
    sharedUids_ = assignment.SharedUids;
    ids_.Commit(assignment);
    fresh->ByOid = std::move(assignment.ByOid);
    fresh->Version = old->Version + 1;
    std::lock_guard swap(current_);
    snapshot_ = std::move(fresh);
    return true;
}

bool VcardContactStore::Waiting() const {
    return !held_.empty();
}

void VcardContactStore::Watch() {
    ScopedFile change(FindFirstChangeNotificationW(
        directory_.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE));
    for (;;) {
        bool waiting;
        {
            std::lock_guard lock(loading_);
            waiting = Waiting();
        }
        HANDLE handles[] = {stop_, change.Get()};
        const DWORD woken =
            WaitForMultipleObjects(change ? 2 : 1, handles, FALSE, waiting ? ConfirmMs / 2 : PollMs);
        if (woken == WAIT_OBJECT_0) return;
        if (woken == WAIT_OBJECT_0 + 1) {
            // Let the writer finish: the folder must have been quiet for SettleMs.
            do {
                FindNextChangeNotification(change.Get());
                if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) return;
            } while (WaitForMultipleObjects(2, handles, FALSE, SettleMs) == WAIT_OBJECT_0 + 1);
            if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) return;
        }
        if (Reload()) PostContactsChanged();
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

std::shared_ptr<VcardContactStore> VcardContactStore::Shared() {
    static std::mutex guard;
    static std::weak_ptr<VcardContactStore> shared;
    std::lock_guard lock(guard);
    std::shared_ptr<VcardContactStore> store = shared.lock();
    const std::wstring location = DefaultLocation();
    if (!store || store->options_.Location != location) {
        store = std::make_shared<VcardContactStore>(Options{location, DefaultStatePath(), true});
        shared = store;
    }
    return store;
}

} // namespace contactstore
