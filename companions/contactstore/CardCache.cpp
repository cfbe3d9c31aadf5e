#include "companions/contactstore/CardCache.h"

#include "companions/contactstore/FileAccess.h"

#include <cstring>

namespace contactstore {

namespace {

constexpr char Magic[8] = {'D', 'V', 'C', 'C', 'A', 'C', 'H', 'E'};
constexpr size_t HeaderSize = 32;
constexpr size_t CardSize = 8 + 8 + 4 + 4 + 4 + 2 * vcard::ShortFieldCount + 1;

class Writer {
public:
    explicit Writer(std::string& out) : out_(out) {}

    template <class Number> void Put(Number value) {
        char bytes[sizeof value];
        std::memcpy(bytes, &value, sizeof value);
        out_.append(bytes, sizeof value);
    }
    void Put(std::wstring_view text) {
        Put(static_cast<uint32_t>(text.size()));
        out_.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    }
    void PutBytes(std::string_view bytes) {
        Put(static_cast<uint32_t>(bytes.size()));
        out_.append(bytes);
    }

private:
    std::string& out_;
};

// Reads what Writer wrote; once anything is missing every further read fails.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    template <class Number> bool Get(Number& value) {
        if (!Take(sizeof value)) return false;
        std::memcpy(&value, bytes_.data() + pos_ - sizeof value, sizeof value);
        return true;
    }
    bool Get(std::wstring& text) {
        uint32_t count = 0;
        if (!Get(count) || count > (bytes_.size() - pos_) / sizeof(wchar_t)) return Fail();
        text.resize(count);
        std::memcpy(text.data(), bytes_.data() + pos_, count * sizeof(wchar_t));
        pos_ += count * sizeof(wchar_t);
        return true;
    }
    bool GetBytes(std::string& bytes) {
        uint32_t count = 0;
        if (!Get(count) || !Take(count)) return false;
        bytes.assign(bytes_.data() + pos_ - count, count);
        return true;
    }
    // A count of items of at least itemSize bytes each, which the rest must have room for.
    bool GetCount(uint32_t& count, size_t itemSize) {
        return Get(count) && (count <= (bytes_.size() - pos_) / itemSize || Fail());
    }
    bool AtEnd() const { return pos_ == bytes_.size(); }

private:
    bool Take(size_t count) {
        if (failed_ || count > bytes_.size() - pos_) return Fail();
        pos_ += count;
        return true;
    }
    bool Fail() {
        failed_ = true;
        pos_ = bytes_.size();
        return false;
    }

    std::string_view bytes_;
    size_t pos_ = 0;
    bool failed_ = false;
};

void PutCard(Writer& out, const vcard::Card& card) {
    out.Put(card.UidKey);
    out.Put(card.NameKey);
    out.Put(card.Start);
    out.Put(card.NotesLength);
    out.Put(card.PhotoLength);
    for (uint16_t length : card.Length) out.Put(length);
    out.Put(static_cast<uint8_t>(card.RawNotes));
}

bool GetCard(Reader& in, vcard::Card& card) {
    uint8_t raw = 0;
    bool read = in.Get(card.UidKey) && in.Get(card.NameKey) && in.Get(card.Start) &&
                in.Get(card.NotesLength) && in.Get(card.PhotoLength);
    for (uint16_t& length : card.Length) read = read && in.Get(length);
    read = read && in.Get(raw) && raw <= 1;
    card.RawNotes = raw != 0;
    return read;
}

// Whether every field of the card lies within bytes.
bool CardFits(const vcard::Card& card, size_t bytes) {
    uint64_t end = static_cast<uint64_t>(card.Start) + card.NotesLength + card.PhotoLength;
    for (uint16_t length : card.Length) end += length;
    return end <= bytes;
}

bool GetFile(Reader& in, FileCards& file) {
    uint8_t complete = 0;
    uint32_t problems = 0, cards = 0;
    if (!in.Get(file.File.Name) || !in.Get(file.File.Size) || !in.Get(file.File.WriteTime) ||
        !in.Get(file.ReadAt) || !in.Get(complete) || complete > 1 || !in.GetCount(problems, 4))
        return false;
    file.Complete = complete != 0;
    file.Problems.resize(problems);
    for (std::wstring& problem : file.Problems)
        if (!in.Get(problem)) return false;
    if (!in.GetBytes(file.Set.Bytes) || !in.GetCount(cards, CardSize)) return false;
    file.Set.Cards.resize(cards);
    for (vcard::Card& card : file.Set.Cards)
        if (!GetCard(in, card) || !CardFits(card, file.Set.Bytes.size())) return false;
    return !file.File.Name.empty() && file.File.Name.find_first_of(L"\\/") == std::wstring::npos;
}

uint64_t Mix(uint64_t hash) {
    hash ^= hash >> 31;
    hash *= 0x9E3779B97F4A7C15ull;
    return hash ^ (hash >> 29);
}

} // namespace

uint64_t CacheChecksum(std::string_view bytes) {
    uint64_t hash = Mix(bytes.size() + 0x5DEECE66Dull);
    size_t pos = 0;
    for (; pos + 8 <= bytes.size(); pos += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + pos, 8);
        hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
        hash ^= hash >> 32;
    }
    uint64_t tail = 0;
    if (pos < bytes.size()) std::memcpy(&tail, bytes.data() + pos, bytes.size() - pos);
    return Mix(hash ^ tail);
}

std::string EncodeCardCache(const std::wstring& location, const CachedFiles& files) {
    size_t size = HeaderSize + 64 + location.size() * 2;
    for (const auto& file : files)
        size += 64 + file->File.Name.size() * 2 + file->Set.Bytes.size() + file->Set.Cards.size() * CardSize;
    std::string out;
    out.reserve(size);
    out.assign(HeaderSize, '\0');
    Writer writer(out);
    writer.Put(std::wstring_view(location));
    writer.Put(static_cast<uint32_t>(files.size()));
    for (const auto& file : files) {
        writer.Put(std::wstring_view(file->File.Name));
        writer.Put(file->File.Size);
        writer.Put(file->File.WriteTime);
        writer.Put(file->ReadAt);
        writer.Put(static_cast<uint8_t>(file->Complete));
        writer.Put(static_cast<uint32_t>(file->Problems.size()));
        for (const std::wstring& problem : file->Problems) writer.Put(std::wstring_view(problem));
        writer.PutBytes(file->Set.Bytes);
        writer.Put(static_cast<uint32_t>(file->Set.Cards.size()));
        for (const vcard::Card& card : file->Set.Cards) PutCard(writer, card);
    }
    const std::string_view payload = std::string_view(out).substr(HeaderSize);
    const uint64_t length = payload.size(), checksum = CacheChecksum(payload);
    const uint32_t version = CardCacheVersion, zero = 0;
    std::memcpy(out.data(), Magic, 8);
    std::memcpy(out.data() + 8, &version, 4);
    std::memcpy(out.data() + 12, &zero, 4);
    std::memcpy(out.data() + 16, &length, 8);
    std::memcpy(out.data() + 24, &checksum, 8);
    return out;
}

bool DecodeCardCache(std::string_view bytes, const std::wstring& location, CachedFiles& files,
                     std::wstring& why) {
    files.clear();
    uint32_t version = 0, zero = 0;
    uint64_t length = 0, checksum = 0;
    if (bytes.size() < HeaderSize || std::memcmp(bytes.data(), Magic, 8) != 0) {
        why = L"not a card cache";
        return false;
    }
    std::memcpy(&version, bytes.data() + 8, 4);
    std::memcpy(&zero, bytes.data() + 12, 4);
    std::memcpy(&length, bytes.data() + 16, 8);
    std::memcpy(&checksum, bytes.data() + 24, 8);
    if (version != CardCacheVersion || zero != 0) {
        why = L"written by another version (" + std::to_wstring(version) + L")";
        return false;
    }
    const std::string_view payload = bytes.substr(HeaderSize);
    if (length != payload.size()) {
        why = length > payload.size() ? L"cut short" : L"longer than it should be";
        return false;
    }
    if (CacheChecksum(payload) != checksum) {
        why = L"damaged (checksum)";
        return false;
    }
    Reader in(payload);
    std::wstring cachedLocation;
    uint32_t count = 0;
    if (!in.Get(cachedLocation) || !in.GetCount(count, 4 + 8 * 3 + 1 + 4 * 3)) {
        why = L"damaged (contents)";
        return false;
    }
    // Another location's cache is not wrong, only of no use here.
    if (cachedLocation != location) return true;
    files.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        auto file = std::make_shared<FileCards>();
        if (!GetFile(in, *file) || (!files.empty() && !(files.back()->File.Name < file->File.Name))) {
            files.clear();
            why = L"damaged (contents)";
            return false;
        }
        files.push_back(std::move(file));
    }
    if (!in.AtEnd()) {
        files.clear();
        why = L"damaged (contents)";
        return false;
    }
    return true;
}

bool CacheEntryHolds(const FileCards& cached, const StoreFile& listed) {
    return cached.File == listed && cached.File.WriteTime + WriteTimeMargin < cached.ReadAt;
}

CachedFiles ReadCardCache(const std::wstring& path, const std::wstring& location, std::wstring& why) {
    CachedFiles files;
    std::string bytes;
    DWORD error = 0;
    if (!ReadWholeFile(path, bytes, error)) {
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            why = L"could not be read (" + ErrorText(error) + L")";
        return files;
    }
    DecodeCardCache(bytes, location, files, why);
    return files;
}

bool WriteCardCache(const std::wstring& path, const std::wstring& location, const CachedFiles& files,
                    DWORD& error) {
    return ReplaceWholeFile(path, EncodeCardCache(location, files), error);
}

} // namespace contactstore
