#include "platform/ContactStoreFiles.h"

#include "platform/ComObject.h"
#include "foundation/DataFiles.h"

#include "platform/ImagingFactory.h"
#include "platform/MainWindowMessages.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace platform {

namespace {

constexpr DWORD PollMs = 500;
constexpr DWORD SettleMs = 200;
constexpr DWORD IncompleteGraceMs = 2000;
constexpr uint64_t LargestFile = 1ull << 30;

uint64_t Hash64(std::string_view text) {
    uint64_t hash = 14695981039346656037ull;
    for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

uint32_t Hash32(std::string_view text) {
    uint32_t hash = 2166136261u;
    for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                            nullptr);
    return out;
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (Valid()) CloseHandle(handle_);
    }
    bool Valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    HANDLE Release() { return std::exchange(handle_, nullptr); }

private:
    HANDLE handle_;
};

// The file opened for reading, sharing it with writers, and its size; an invalid handle when it cannot
// be opened or is larger than any card file.
HANDLE OpenForReading(const std::wstring& path, LARGE_INTEGER& size) {
    Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) ||
        static_cast<uint64_t>(size.QuadPart) > LargestFile)
        return INVALID_HANDLE_VALUE;
    return file.Release();
}

// The cards of a whole file, read through a view of it; false when it cannot be opened or read (e.g.
// while another program holds it).
bool ParseFile(const std::wstring& path, FileCards& cards) {
    LARGE_INTEGER size;
    Handle file(OpenForReading(path, size));
    if (!file.Valid()) return false;
    if (size.QuadPart == 0) {
        cards.Complete = false;
        return true;
    }
    Handle mapping(CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping.Valid()) return false;
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
    Handle file(OpenForReading(path, size));
    if (!file.Valid()) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return false;
    bytes.resize(read);
    return true;
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

void PostContactsChanged() {
    if (HWND window = FindWindowW(MainWindowClassName, nullptr))
        PostMessageW(window, ContactsChangedMessage, 0, ContactsChanged);
}

// A read-only stream over a copy of bytes; null when memory runs out.
IStream* StreamOver(std::string_view head, std::string_view bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, head.size() + bytes.size());
    if (!memory) return nullptr;
    if (void* data = GlobalLock(memory)) {
        std::memcpy(data, head.data(), head.size());
        std::memcpy(static_cast<char*>(data) + head.size(), bytes.data(), bytes.size());
        GlobalUnlock(memory);
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    return stream;
}

int FieldOf(CEPROPID id) {
    switch (id) {
    case poom::FirstName:
        return vcard::First;
    case poom::LastName:
        return vcard::Last;
    case poom::MiddleName:
        return vcard::Middle;
    case poom::CompanyName:
        return vcard::Company;
    case poom::FileAs:
        return vcard::SortName;
    case poom::MobilePhone:
        return vcard::PhoneField(vcard::Mobile);
    case poom::HomePhone:
        return vcard::PhoneField(vcard::Home);
    case poom::Home2Phone:
        return vcard::PhoneField(vcard::Home2);
    case poom::BusinessPhone:
        return vcard::PhoneField(vcard::Work);
    case poom::Business2Phone:
        return vcard::PhoneField(vcard::Work2);
    case poom::Pager:
        return vcard::PhoneField(vcard::Pager);
    case poom::RadioPhone:
        return vcard::PhoneField(vcard::Radio);
    case poom::AssistantPhone:
        return vcard::PhoneField(vcard::Assistant);
    case poom::BusinessFax:
        return vcard::PhoneField(vcard::WorkFax);
    case poom::HomeFax:
        return vcard::PhoneField(vcard::HomeFax);
    case poom::CompanyPhone:
        return vcard::PhoneField(vcard::CompanyMain);
    case poom::MmsPhone:
        return vcard::PhoneField(vcard::Mms);
    case poom::CarPhone:
        return vcard::PhoneField(vcard::Car);
    default:
        return -1;
    }
}

class VcardItem final : public ComObject<IItem> {
public:
    VcardItem(std::shared_ptr<const ContactSnapshot> snapshot, const ContactSnapshot::Entry& entry)
        : snapshot_(std::move(snapshot)), entry_(entry) {}

    HRESULT STDMETHODCALLTYPE GetProps(const CEPROPID* ids, ULONG, WORD count, CEPROPVAL** values,
                                       ULONG* size, HANDLE heap) override {
        if (!values || (count && !ids)) return E_INVALIDARG;
        const vcard::CardSet& set = Cards();
        const vcard::Card& card = set.Cards[entry_.Card];
        std::vector<int> lengths(count, 0);
        size_t total = sizeof(CEPROPVAL) * count;
        for (WORD i = 0; i < count; ++i) {
            int field = FieldOf(ids[i]);
            if (field < 0) continue;
            std::string_view text = set.Get(card, static_cast<vcard::Field>(field));
            lengths[i] =
                MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
            if (lengths[i] > 0) total += (static_cast<size_t>(lengths[i]) + 1) * sizeof(wchar_t);
        }
        auto* block = static_cast<CEPROPVAL*>(HeapAlloc(heap ? heap : GetProcessHeap(), 0, total));
        if (!block) return E_OUTOFMEMORY;
        auto* strings = reinterpret_cast<wchar_t*>(block + count);
        for (WORD i = 0; i < count; ++i) {
            CEPROPVAL& value = block[i];
            value = CEPROPVAL{ids[i], 0, CEDB_PROPNOTFOUND, {}};
            if (ids[i] == poom::Oid) {
                value.wFlags = 0;
                value.val.ulVal = entry_.Oid;
                continue;
            }
            if (lengths[i] <= 0) continue;
            std::string_view text = set.Get(card, static_cast<vcard::Field>(FieldOf(ids[i])));
            MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), strings, lengths[i]);
            strings[lengths[i]] = L'\0';
            value.wFlags = 0;
            value.wLenData = static_cast<WORD>(std::min<size_t>((lengths[i] + 1) * sizeof(wchar_t), 0xFFFF));
            value.val.lpwstr = strings;
            strings += lengths[i] + 1;
        }
        *values = block;
        if (size) *size = static_cast<ULONG>(total);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE OpenProperty(CEPROPID id, DWORD, IStream** stream) override {
        if (!stream) return E_POINTER;
        *stream = nullptr;
        const vcard::CardSet& set = Cards();
        const vcard::Card& card = set.Cards[entry_.Card];
        if (id == poom::Picture) {
            std::string_view photo = set.Get(card, vcard::Photo);
            if (photo.empty()) return E_FAIL;
            *stream = StreamOver({}, photo);
        } else if (id == poom::Notes) {
            std::string_view notes = set.Get(card, vcard::Notes);
            if (notes.empty()) return E_FAIL;
            if (card.RawNotes) {
                *stream = StreamOver({}, notes);
            } else {
                // As the device keeps text: a 0xFE 0xFF mark, then UTF-16 in little-endian order.
                int length =
                    MultiByteToWideChar(CP_UTF8, 0, notes.data(), static_cast<int>(notes.size()), nullptr, 0);
                std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
                MultiByteToWideChar(CP_UTF8, 0, notes.data(), static_cast<int>(notes.size()), wide.data(),
                                    length);
                *stream = StreamOver("\xFE\xFF", std::string_view(reinterpret_cast<const char*>(wide.data()),
                                                                  wide.size() * sizeof(wchar_t)));
            }
        } else {
            return E_INVALIDARG;
        }
        return *stream ? S_OK : E_OUTOFMEMORY;
    }

private:
    const IID& Identity() const override { return IID_IItem; }
    const vcard::CardSet& Cards() const { return snapshot_->Files[entry_.File]->Set; }

    std::shared_ptr<const ContactSnapshot> snapshot_;
    ContactSnapshot::Entry entry_;
};

class VcardApp final : public ComObject<IPOutlookApp> {
public:
    explicit VcardApp(std::shared_ptr<VcardContactStore> store) : given_(std::move(store)) {}

    HRESULT STDMETHODCALLTYPE Logon(HWND) override {
        store_ = given_ ? given_ : VcardContactStore::Shared();
        return store_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE Logoff() override {
        store_.reset();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetItemFromOid(CEOID oid, IUnknown** item) override {
        if (!item) return E_POINTER;
        *item = nullptr;
        if (!store_) return E_FAIL;
        std::shared_ptr<const ContactSnapshot> snapshot = store_->Snapshot();
        const ContactSnapshot::Entry* entry = snapshot->Find(oid);
        if (!entry) return E_INVALIDARG;
        *item = new (std::nothrow) VcardItem(snapshot, *entry);
        return *item ? S_OK : E_OUTOFMEMORY;
    }

private:
    const IID& Identity() const override { return IID_IPOutlookApp; }

    std::shared_ptr<VcardContactStore> given_;
    std::shared_ptr<VcardContactStore> store_;
};

} // namespace

size_t KeyTable::Home(uint64_t key) const {
    // The bits of the key mixed, so that neighbouring keys spread over the table.
    key ^= key >> 33;
    key *= 0xFF51AFD7ED558CCDull;
    key ^= key >> 33;
    return static_cast<size_t>(key) & (slots_.size() - 1);
}

const uint32_t* KeyTable::Find(uint64_t key) const {
    if (slots_.empty()) return nullptr;
    for (size_t i = Home(key);; i = (i + 1) & (slots_.size() - 1)) {
        if (!slots_[i].Used) return nullptr;
        if (slots_[i].Key == key) return &slots_[i].Value;
    }
}

void KeyTable::Set(uint64_t key, uint32_t value) {
    Reserve(size_ + 1);
    size_t i = Home(key);
    while (slots_[i].Used && slots_[i].Key != key) i = (i + 1) & (slots_.size() - 1);
    if (!slots_[i].Used) ++size_;
    slots_[i] = {key, value, true};
}

void KeyTable::Reserve(size_t count) {
    if (count * 4 <= slots_.size() * 3) return;
    size_t capacity = 16;
    while (capacity * 3 < count * 4) capacity *= 2;
    std::vector<Slot> old(capacity);
    old.swap(slots_);
    size_ = 0;
    for (const Slot& slot : old)
        if (slot.Used) Set(slot.Key, slot.Value);
}

const ContactSnapshot::Entry* ContactSnapshot::Find(uint32_t oid) const {
    auto found = std::lower_bound(ByOid.begin(), ByOid.end(), oid,
                                  [](const Entry& entry, uint32_t value) { return entry.Oid < value; });
    return found != ByOid.end() && found->Oid == oid ? &*found : nullptr;
}

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
    bool added = false;
    for (uint32_t f = 0; f < snapshot.Files.size(); ++f) {
        const FileCards& files = *snapshot.Files[f];
        for (uint32_t c = 0; c < files.Set.Cards.size(); ++c) {
            std::string_view key = files.Set.Get(files.Set.Cards[c], vcard::Key);
            std::string byFile;
            if (folder_ && files.Set.Cards.size() == 1 && key.substr(0, 2) == "N:") {
                const std::wstring& path = files.File.Path;
                byFile = "F:" + Utf8(path.substr(path.find_last_of(L'\\') + 1));
                key = byFile;
            }
            uint64_t hash = Hash64(key);
            if (const uint64_t base = hash; seen.Find(base)) {
                // A repeated key takes the first "#n" not taken, counting on from the last one given.
                const uint32_t* last = repeats.Find(base);
                uint32_t n = last ? *last : 1;
                do hash = Hash64(std::string(key) + "#" + std::to_string(++n));
                while (seen.Find(hash));
                repeats.Set(base, n);
            }
            seen.Set(hash, 0);
            uint32_t oid;
            if (const uint32_t* known = ids_.Find(hash)) {
                oid = *known;
            } else {
                oid = Hash32(key);
                while (oid == 0 || usedIds_.Find(oid)) ++oid;
                ids_.Set(hash, oid);
                usedIds_.Set(oid, 0);
                added = true;
            }
            snapshot.ByOid.push_back({oid, f, c});
        }
    }
    std::sort(snapshot.ByOid.begin(), snapshot.ByOid.end(),
              [](const ContactSnapshot::Entry& a, const ContactSnapshot::Entry& b) { return a.Oid < b.Oid; });
    if (added) SaveIds();
}

namespace {

// Reads the hexadecimal number of up to digits characters at pos; false when there is none.
bool ReadHex(std::string_view text, size_t& pos, int digits, uint64_t& value) {
    value = 0;
    int read = 0;
    for (; pos < text.size() && read < digits; ++pos, ++read) {
        char c = text[pos];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) break;
        value = value * 16 + static_cast<uint64_t>(digit);
    }
    return read > 0;
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
                    ReadHex(text, pos, 16, hash) && (pos == text.size() || text[pos] == '\n');
        if (good && oid != 0 && !usedIds_.Find(oid) && !ids_.Find(hash)) {
            ids_.Set(hash, static_cast<uint32_t>(oid));
            usedIds_.Set(oid, 0);
        }
        size_t end = text.find('\n', pos);
        pos = end == std::string::npos ? text.size() : end + 1;
    }
}

void VcardContactStore::SaveIds() const {
    if (options_.StatePath.empty()) return;
    std::string text;
    text.reserve(ids_.Size() * 26);
    char line[32];
    ids_.ForEach([&](uint64_t hash, uint32_t oid) {
        int length =
            std::snprintf(line, sizeof line, "%08x %016llx\n", oid, static_cast<unsigned long long>(hash));
        text.append(line, static_cast<size_t>(length));
    });
    // Written aside and moved into place, so a crash never leaves half a state behind.
    std::wstring temporary = options_.StatePath + L".new";
    {
        Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return;
        DWORD written = 0;
        if (!WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size())
            return;
    }
    MoveFileExW(temporary.c_str(), options_.StatePath.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void VcardContactStore::Watch() {
    std::wstring folder = options_.Location;
    if (!folder_) folder = folder.substr(0, folder.find_last_of(L'\\'));
    Handle change(FindFirstChangeNotificationW(folder.c_str(), FALSE,
                                               FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                                   FILE_NOTIFY_CHANGE_SIZE));
    auto loaded = [this] {
        std::vector<StoreFile> files;
        for (const auto& cards : Snapshot()->Files) files.push_back(cards->File);
        return files;
    };
    for (;;) {
        HANDLE handles[] = {stop_, change.Get()};
        DWORD woken = WaitForMultipleObjects(change.Valid() ? 2 : 1, handles, FALSE, PollMs);
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

IPOutlookApp* CreateVcardApp(std::shared_ptr<VcardContactStore> store) {
    return new (std::nothrow) VcardApp(std::move(store));
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object) {
    if (clsid == CLSID_ImagingFactory)
        return outer ? CLASS_E_NOAGGREGATION : CreateImagingFactory(iid, object);
    if (clsid != CLSID_Application) return ::CoCreateInstance(clsid, outer, context, iid, object);
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    IPOutlookApp* app = CreateVcardApp(nullptr);
    if (!app) return E_OUTOFMEMORY;
    HRESULT result = app->QueryInterface(iid, object);
    app->Release();
    return result;
}

} // namespace platform
