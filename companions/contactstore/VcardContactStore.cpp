#include "companions/contactstore/VcardContactStore.h"

#include "foundation/DataFiles.h"
#include "foundation/ScopedHandles.h"
#include "platform/MainWindowMessages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace contactstore {

namespace {

constexpr DWORD PollMs = 500;
constexpr DWORD SettleMs = 200;
constexpr DWORD IncompleteGraceMs = 2000;
constexpr uint64_t LargestFile = 1ull << 30;

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                            nullptr);
    return out;
}

// The file opened for reading, sharing it with writers, and its size; an invalid handle when it cannot
// be opened or is larger than any card file.
HANDLE OpenForReading(const std::wstring& path, LARGE_INTEGER& size) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !GetFileSizeEx(file.Get(), &size) || static_cast<uint64_t>(size.QuadPart) > LargestFile)
        return INVALID_HANDLE_VALUE;
    return file.Release();
}

// The cards of a whole file, read through a view of it; false when it cannot be opened or read (e.g.
// while another program holds it).
bool ParseFile(const std::wstring& path, FileCards& cards) {
    LARGE_INTEGER size;
    ScopedFile file(OpenForReading(path, size));
    if (!file) return false;
    if (size.QuadPart == 0) {
        cards.Complete = false;
        return true;
    }
    ScopedHandle mapping(CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return false;
    const void* view = MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0);
    if (!view) return false;
    std::string_view text(static_cast<const char*>(view), static_cast<size_t>(size.QuadPart));
    cards.Complete = vcard::ParseVcards(text, cards.Set).Complete;
    UnmapViewOfFile(view);
    return true;
}

// The whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    LARGE_INTEGER size;
    ScopedFile file(OpenForReading(path, size));
    if (!file) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return false;
    bytes.resize(read);
    return true;
}

// Tells the main window of this process; a store in another process (the contact viewer's) serves
// that process alone.
void PostContactsChanged() {
    for (HWND window = FindWindowW(MainWindowClassName, nullptr); window;
         window = FindWindowExW(nullptr, window, MainWindowClassName, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == GetCurrentProcessId())
            PostMessageW(window, ContactsChangedMessage, 0, ContactsChanged);
    }
}

bool FindFile(const std::wstring& path, StoreFile& file) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    file.Path = path;
    file.Size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    file.WriteTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                     data.ftLastWriteTime.dwLowDateTime;
    return true;
}

} // namespace

VcardContactStore::VcardContactStore(Options options) : options_(std::move(options)) {
    DWORD attributes = GetFileAttributesW(options_.Location.c_str());
    folder_ = attributes != INVALID_FILE_ATTRIBUTES
                  ? (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                  : options_.Location.size() < 4 ||
                        _wcsicmp(options_.Location.c_str() + options_.Location.size() - 4, L".vcf") != 0;
    snapshot_ = std::make_shared<ContactSnapshot>();
    LoadIds();
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

std::vector<StoreFile> VcardContactStore::ListFiles() const {
    std::vector<StoreFile> files;
    if (!folder_) {
        StoreFile file;
        if (FindFile(options_.Location, file)) files.push_back(file);
        return files;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((options_.Location + L"\\*.vcf").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        StoreFile file;
        file.Path = options_.Location + L"\\" + data.cFileName;
        file.Size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        file.WriteTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                         data.ftLastWriteTime.dwLowDateTime;
        files.push_back(file);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(files.begin(), files.end(),
              [](const StoreFile& a, const StoreFile& b) { return a.Path < b.Path; });
    return files;
}

bool VcardContactStore::Reload() {
    std::lock_guard lock(loading_);
    std::shared_ptr<const ContactSnapshot> old = Snapshot();
    auto previous = [&](const std::wstring& path) -> std::shared_ptr<const FileCards> {
        for (const auto& files : old->Files)
            if (files->File.Path == path) return files;
        return nullptr;
    };

    auto fresh = std::make_shared<ContactSnapshot>();
    std::vector<StoreFile> listed = ListFiles();
    // A single file that went missing is being replaced: its cards stay meanwhile.
    if (!folder_ && listed.empty() && !old->Files.empty()) listed.push_back(old->Files[0]->File);
    for (const StoreFile& file : listed) {
        std::shared_ptr<const FileCards> before = previous(file.Path);
        if (before && before->File == file) {
            fresh->Files.push_back(before);
            continue;
        }
        auto cards = std::make_shared<FileCards>();
        cards->File = file;
        bool read = ParseFile(file.Path, *cards);
        if (before && (!read || !cards->Complete)) {
            // Still being written? Keep what the file held until it settles.
            auto& [state, since] = pending_[file.Path];
            if (!(state == file)) {
                state = file;
                since = GetTickCount();
            }
            if (!read || GetTickCount() - since < IncompleteGraceMs) {
                fresh->Files.push_back(before);
                continue;
            }
        }
        pending_.erase(file.Path);
        if (read) fresh->Files.push_back(std::move(cards));
    }

    bool changed = fresh->Files.size() != old->Files.size();
    for (size_t i = 0; !changed && i < fresh->Files.size(); ++i) changed = fresh->Files[i] != old->Files[i];
    if (!changed) return false;
    AssignIds(*fresh);
    fresh->Version = old->Version + 1;
    std::lock_guard swap(current_);
    snapshot_ = std::move(fresh);
    return true;
}

void VcardContactStore::AssignIds(ContactSnapshot& snapshot) {
    KeyTable seen;
    KeyTable repeats; // key hash -> the last n of its "#n"
    size_t total = 0;
    for (const auto& files : snapshot.Files) total += files->Set.Cards.size();
    seen.Reserve(total);
    ids_.Reserve(ids_.Size() + total);
    usedIds_.Reserve(usedIds_.Size() + total);
    snapshot.ByOid.reserve(total);
    std::vector<std::pair<uint64_t, uint32_t>> added;
    for (uint32_t f = 0; f < snapshot.Files.size(); ++f) {
        const FileCards& files = *snapshot.Files[f];
        for (uint32_t c = 0; c < files.Set.Cards.size(); ++c) {
            const vcard::Card& card = files.Set.Cards[c];
            uint64_t key = card.UidKey ? card.UidKey : card.NameKey;
            if (folder_ && files.Set.Cards.size() == 1 && !card.UidKey) {
                const std::wstring& path = files.File.Path;
                key = vcard::KeyHash(Utf8(path.substr(path.find_last_of(L'\\') + 1)), vcard::KeyHash("F:"));
            }
            uint64_t hash = key;
            if (seen.Find(key)) {
                // A repeated key takes the first "#n" not taken, counting on from the last one given.
                const uint32_t* last = repeats.Find(key);
                uint32_t n = last ? *last : 1;
                do hash = vcard::KeyHash("#" + std::to_string(++n), key);
                while (seen.Find(hash));
                repeats.Set(key, n);
            }
            seen.Set(hash, 1);
            uint32_t oid;
            if (const uint32_t* known = ids_.Find(hash)) {
                oid = *known;
            } else {
                oid = static_cast<uint32_t>(key ^ (key >> 32));
                while (oid == 0 || usedIds_.Find(oid)) ++oid;
                ids_.Set(hash, oid);
                usedIds_.Set(oid, 1);
                added.emplace_back(hash, oid);
            }
            snapshot.ByOid.push_back({oid, f, c});
        }
    }
    std::sort(snapshot.ByOid.begin(), snapshot.ByOid.end(),
              [](const ContactSnapshot::Entry& a, const ContactSnapshot::Entry& b) { return a.Oid < b.Oid; });
    if (!added.empty()) SaveIds(added);
}

namespace {

// Reads the hexadecimal number of exactly digits characters at pos; false when there is none.
bool ReadHex(std::string_view text, size_t& pos, int digits, uint64_t& value) {
    value = 0;
    int read = 0;
    for (; pos < text.size() && read < digits; ++pos, ++read) {
        char c = text[pos];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) break;
        value = value * 16 + static_cast<uint64_t>(digit);
    }
    return read == digits;
}

} // namespace

void VcardContactStore::LoadIds() {
    if (options_.StatePath.empty()) return;
    std::string text;
    if (!ReadWholeFile(options_.StatePath, text)) return;
    ids_.Reserve(text.size() / 26);
    usedIds_.Reserve(text.size() / 26);
    size_t pos = 0;
    while (pos < text.size()) {
        uint64_t oid = 0, hash = 0;
        bool good = ReadHex(text, pos, 8, oid) && pos < text.size() && text[pos++] == ' ' &&
                    ReadHex(text, pos, 16, hash) && pos < text.size() && text[pos] == '\n';
        if (good && oid != 0 && !usedIds_.Find(oid) && !ids_.Find(hash)) {
            ids_.Set(hash, static_cast<uint32_t>(oid));
            usedIds_.Set(oid, 1);
        }
        size_t end = text.find('\n', pos);
        pos = end == std::string::npos ? text.size() : end + 1;
    }
}

void VcardContactStore::SaveIds(const std::vector<std::pair<uint64_t, uint32_t>>& added) const {
    if (options_.StatePath.empty()) return;
    std::string text;
    text.reserve(added.size() * 26 + 1);
    char line[32];
    for (const auto& [hash, oid] : added) {
        const int length =
            std::snprintf(line, sizeof line, "%08x %016llx\n", oid, static_cast<unsigned long long>(hash));
        text.append(line, static_cast<size_t>(length));
    }
    // Keys are never forgotten, so the state only grows: new lines are appended. The file is held
    // alone while it is appended to; a line cut short by a crash is ended first, and the reader skips it.
    ScopedFile file;
    for (int attempt = 0; attempt < 50; ++attempt) {
        file.Reset(CreateFileW(options_.StatePath.c_str(), GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || GetLastError() != ERROR_SHARING_VIOLATION) break;
        Sleep(20);
    }
    if (!file) return;
    LARGE_INTEGER size;
    char last = '\n';
    DWORD read = 0;
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 &&
        SetFilePointer(file.Get(), -1, nullptr, FILE_END) != INVALID_SET_FILE_POINTER)
        ReadFile(file.Get(), &last, 1, &read, nullptr);
    if (last != '\n') text.insert(text.begin(), '\n');
    DWORD written = 0;
    WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void VcardContactStore::Watch() {
    std::wstring folder = options_.Location;
    if (!folder_) folder = folder.substr(0, folder.find_last_of(L'\\'));
    ScopedFile change(FindFirstChangeNotificationW(
        folder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE));
    auto loaded = [this] {
        std::vector<StoreFile> files;
        for (const auto& cards : Snapshot()->Files) files.push_back(cards->File);
        return files;
    };
    for (;;) {
        HANDLE handles[] = {stop_, change.Get()};
        DWORD woken = WaitForMultipleObjects(change ? 2 : 1, handles, FALSE, PollMs);
        if (woken == WAIT_OBJECT_0) return;
        if (woken == WAIT_OBJECT_0 + 1) FindNextChangeNotification(change.Get());
        std::vector<StoreFile> files = ListFiles();
        bool pending;
        {
            std::lock_guard lock(loading_);
            pending = !pending_.empty();
        }
        if (files == loaded() && !pending) continue;
        // Let a writer finish before reading.
        for (;;) {
            if (WaitForSingleObject(stop_, SettleMs) == WAIT_OBJECT_0) return;
            std::vector<StoreFile> again = ListFiles();
            if (again == files) break;
            files = std::move(again);
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
        bool absolute = location.size() > 1 && (location[1] == L':' || location[0] == L'\\');
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
    std::wstring location = DefaultLocation();
    if (!store || store->options_.Location != location) {
        store = std::make_shared<VcardContactStore>(Options{location, DefaultStatePath(), true});
        shared = store;
    }
    return store;
}

} // namespace contactstore
