#include "companions/contactstore/ContactIds.h"

#include "companions/contactstore/FileAccess.h"
#include "companions/contactstore/TextConversion.h"
#include "foundation/ScopedHandles.h"

#include <algorithm>
#include <cstdio>

namespace contactstore {

namespace {

// The key of a card by its UID and its names together.
uint64_t UidAndNames(const vcard::Card& card) {
    const uint64_t names = card.NameKey;
    return vcard::KeyHash(std::string_view(reinterpret_cast<const char*>(&names), sizeof names),
                          vcard::KeyHash("|", card.UidKey));
}

uint64_t FileNameKey(const std::wstring& name) {
    return vcard::KeyHash(Utf8(name), vcard::KeyHash("F:"));
}

// The names of a card alone in its file, kept apart from the names of other cards, so that a card of
// another file never takes the id that follows a renamed file.
uint64_t FileCardNames(const vcard::Card& card) {
    return vcard::KeyHash("F|", card.NameKey);
}

// Keys that cards of one store may share get "#2", "#3", … in the store's order.
class Repeats {
public:
    explicit Repeats(size_t cards) { seen_.Reserve(cards); }

    uint64_t Next(uint64_t key) {
        uint64_t hash = key;
        if (seen_.Find(key)) {
            // The first "#n" not taken, counting on from the last one given.
            const uint32_t* last = last_.Find(key);
            uint32_t n = last ? *last : 1;
            do hash = vcard::KeyHash("#" + std::to_string(++n), key);
            while (seen_.Find(hash));
            last_.Set(key, n);
        }
        seen_.Set(hash, 1);
        return hash;
    }

private:
    KeyTable seen_;
    KeyTable last_; // key -> the last n of its "#n"
};

// Reads the hexadecimal number of exactly digits characters at pos; false when there is none.
bool ReadHex(std::string_view text, size_t& pos, int digits, uint64_t& value) {
    value = 0;
    int read = 0;
    for (; pos < text.size() && read < digits; ++pos, ++read) {
        const char c = text[pos];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) break;
        value = value * 16 + static_cast<uint64_t>(digit);
    }
    return read == digits;
}

} // namespace

int ContactIds::Load() {
    if (statePath_.empty()) return 0;
    std::string text;
    DWORD error = 0;
    if (!ReadWholeFile(statePath_, text, error)) return 0;
    ids_.Reserve(text.size() / 26);
    usedIds_.Reserve(text.size() / 26);
    int bad = 0;
    for (size_t pos = 0; pos < text.size();) {
        uint64_t oid = 0, key = 0;
        const bool good = ReadHex(text, pos, 8, oid) && pos < text.size() && text[pos++] == ' ' &&
                          ReadHex(text, pos, 16, key) && pos < text.size() && text[pos] == '\n' && oid != 0;
        if (good) {
            ids_.Set(key, static_cast<uint32_t>(oid));
            usedIds_.Set(oid, 1);
        } else {
            ++bad;
        }
        const size_t end = text.find('\n', pos);
        pos = end == std::string::npos ? text.size() : end + 1;
    }
    return bad;
}

ContactIds::Assignment ContactIds::Assign(const ContactSnapshot& snapshot, bool folder) const {
    size_t total = 0;
    for (const auto& file : snapshot.Files) total += file->Set.Cards.size();
    KeyTable uidCount;
    uidCount.Reserve(total);
    for (const auto& file : snapshot.Files)
        for (const vcard::Card& card : file->Set.Cards) {
            if (!card.UidKey) continue;
            const uint32_t* count = uidCount.Find(card.UidKey);
            uidCount.Set(card.UidKey, count ? *count + 1 : 1);
        }

    // Each card's keys, in the order they are tried.
    struct Keys {
        uint64_t First = 0;
        uint64_t Then = 0;        // 0: none
        bool RememberThen = true; // the second key is remembered for the card too, unless known already
    };
    Assignment assignment;
    std::vector<Keys> keys;
    keys.reserve(total);
    assignment.ByOid.reserve(total);
    Repeats repeats(total), oldRepeats(total);
    for (uint32_t f = 0; f < snapshot.Files.size(); ++f) {
        const FileCards& file = *snapshot.Files[f];
        for (uint32_t c = 0; c < file.Set.Cards.size(); ++c) {
            const vcard::Card& card = file.Set.Cards[c];
            Keys cardKeys;
            if (card.UidKey && *uidCount.Find(card.UidKey) == 1) {
                cardKeys = {card.UidKey, UidAndNames(card), true};
            } else if (card.UidKey) {
                cardKeys = {repeats.Next(UidAndNames(card)), oldRepeats.Next(card.UidKey), false};
                ++assignment.SharedUids;
            } else if (folder && file.Set.Cards.size() == 1) {
                cardKeys = {FileNameKey(file.File.Name), repeats.Next(FileCardNames(card)), true};
            } else {
                cardKeys = {repeats.Next(card.NameKey), 0, false};
            }
            keys.push_back(cardKeys);
            assignment.ByOid.push_back({0, f, c});
        }
    }

    KeyTable taken; // ids given in this assignment
    taken.Reserve(total);
    auto take = [&](size_t i, uint64_t key) {
        if (!key) return;
        const uint32_t* known = ids_.Find(key);
        if (!known || taken.Find(*known)) return;
        assignment.ByOid[i].Oid = *known;
        taken.Set(*known, 1);
    };
    for (size_t i = 0; i < keys.size(); ++i) take(i, keys[i].First);
    for (size_t i = 0; i < keys.size(); ++i)
        if (!assignment.ByOid[i].Oid) take(i, keys[i].Then);
    for (size_t i = 0; i < keys.size(); ++i) {
        ContactSnapshot::Entry& entry = assignment.ByOid[i];
        if (!entry.Oid) {
            const uint64_t key = keys[i].First;
            uint32_t oid = static_cast<uint32_t>(key ^ (key >> 32));
            while (oid == 0 || usedIds_.Find(oid) || taken.Find(oid)) ++oid;
            entry.Oid = oid;
            taken.Set(oid, 1);
        }
        const uint32_t* first = ids_.Find(keys[i].First);
        if (!first || *first != entry.Oid) assignment.Learned.emplace_back(keys[i].First, entry.Oid);
        if (keys[i].Then && keys[i].RememberThen && !ids_.Find(keys[i].Then))
            assignment.Learned.emplace_back(keys[i].Then, entry.Oid);
    }
    std::sort(assignment.ByOid.begin(), assignment.ByOid.end(),
              [](const ContactSnapshot::Entry& a, const ContactSnapshot::Entry& b) { return a.Oid < b.Oid; });
    return assignment;
}

void ContactIds::Commit(const Assignment& assignment) {
    if (assignment.Learned.empty()) return;
    ids_.Reserve(ids_.Size() + assignment.Learned.size());
    for (const auto& [key, oid] : assignment.Learned) {
        ids_.Set(key, oid);
        usedIds_.Set(oid, 1);
    }
    Append(assignment.Learned);
}

void ContactIds::Append(const std::vector<std::pair<uint64_t, uint32_t>>& learned) const {
    if (statePath_.empty()) return;
    std::string text;
    text.reserve(learned.size() * 26 + 1);
    char line[32];
    for (const auto& [key, oid] : learned) {
        const int length =
            std::snprintf(line, sizeof line, "%08x %016llx\n", oid, static_cast<unsigned long long>(key));
        text.append(line, static_cast<size_t>(length));
    }
    // The file is held alone while it is appended to; a line cut short by a crash is ended first, and the
    // reader skips it.
    ScopedFile file;
    for (int attempt = 0; attempt < 50; ++attempt) {
        file.Reset(CreateFileW(statePath_.c_str(), GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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

} // namespace contactstore
