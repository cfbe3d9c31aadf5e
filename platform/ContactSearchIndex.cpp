#include "platform/ContactSearchIndex.h"

#include "contacts/ContactDetails.h"

#include <algorithm>
#include <string_view>

namespace platform {

namespace {

std::wstring Lower(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::wstring Wide(std::string_view utf8) {
    std::wstring text(utf8.size(), 0);
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                           text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? length : 0);
    return text;
}

// A key that orders names as the platform compares them under the system default locale.
std::string SortKey(const std::wstring& name) {
    char key[512];
    int size =
        LCMapStringW(0x0800, LCMAP_SORTKEY, name.c_str(), -1, reinterpret_cast<wchar_t*>(key), sizeof key);
    if (size > 0) return std::string(key, size);
    size = LCMapStringW(0x0800, LCMAP_SORTKEY, name.c_str(), -1, nullptr, 0);
    std::string longKey(size > 0 ? size : 0, 0);
    if (size > 0)
        LCMapStringW(0x0800, LCMAP_SORTKEY, name.c_str(), -1, reinterpret_cast<wchar_t*>(longKey.data()),
                     size);
    return longKey;
}

// The numbers a card keeps in its notes' information block.
std::vector<PhoneEntry> NotesNumbers(const vcard::CardSet& set, const vcard::Card& card) {
    const std::string_view bytes = set.Get(card, vcard::Notes);
    // Text notes without the block's start marker hold no numbers: most notes are skipped undecoded.
    if (bytes.empty() ||
        (!card.RawNotes && bytes.find("== start pim information ==") == std::string_view::npos))
        return {};
    const WString notes = card.RawNotes
                              ? DecodeNotes(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size())
                              : WString(Wide(bytes).c_str());
    Array<PhoneEntry> phones;
    ReadPhoneList(InformationBlock(notes), phones);
    std::vector<PhoneEntry> entries;
    for (int i = 0; i < phones.GetSize(); ++i) entries.push_back(phones.GetAt(i));
    return entries;
}

void Put(std::vector<BYTE>& reply, const void* data, size_t bytes) {
    reply.insert(reply.end(), static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + bytes);
}

void PutU32(std::vector<BYTE>& reply, DWORD value) {
    Put(reply, &value, sizeof value);
}

void PutText(std::vector<BYTE>& reply, const std::wstring& text) {
    Put(reply, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

} // namespace

std::string DigitsOf(const wchar_t* number) {
    std::string digits;
    for (const wchar_t* p = number; p && *p; ++p) {
        if (*p >= L'0' && *p <= L'9') digits += static_cast<char>(*p);
    }
    return digits;
}

bool SameNumber(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    if (a == b) return true;
    constexpr size_t Significant = 10;
    return a.size() >= Significant && b.size() >= Significant &&
           a.compare(a.size() - Significant, Significant, b, b.size() - Significant, Significant) == 0;
}

void ContactSearchIndex::SetKeys(const KeypadLayout& layout) {
    std::vector<std::wstring> letters(8);
    for (int key = 0; key < layout.letters.GetSize() && key < 8; ++key)
        letters[key] = Lower(static_cast<const wchar_t*>(layout.letters.GetAt(key)));
    // The service passes the layout on every keystroke; the table is rebuilt only when it changed.
    if (letters == keyLetters_ && !keyMask_.empty()) return;
    keyLetters_ = std::move(letters);
    keyMask_.assign(0x10000, 0);
    for (size_t key = 0; key < keyLetters_.size(); ++key) {
        for (wchar_t letter : keyLetters_[key]) keyMask_[letter] |= static_cast<uint8_t>(1u << key);
    }
}

void ContactSearchIndex::Build(const ContactSnapshot& snapshot) {
    std::vector<IndexedContact> contacts;
    std::vector<std::string> sortKeys;
    contacts.reserve(snapshot.ByOid.size());
    for (const ContactSnapshot::Entry& entry : snapshot.ByOid) {
        const vcard::CardSet& set = snapshot.Files[entry.File]->Set;
        const vcard::Card& card = set.Cards[entry.Card];
        IndexedContact contact;
        contact.Oid = entry.Oid;
        contact.SortName = Wide(set.Get(card, vcard::SortName));
        contact.Company = Wide(set.Get(card, vcard::Company));
        contact.Name = contact.SortName.empty() ? contact.Company : contact.SortName;
        for (int kind = 0; kind < vcard::PhoneKinds; ++kind) {
            const std::string_view number = set.Get(card, static_cast<vcard::Field>(vcard::PhoneField(kind)));
            if (number.empty()) continue;
            contact.Numbers.push_back(Wide(number));
            contact.Kinds.emplace_back(1, static_cast<wchar_t>(kind + 1));
        }
        for (const PhoneEntry& entry : NotesNumbers(set, card)) {
            contact.Numbers.emplace_back(entry.Number);
            contact.Kinds.emplace_back(entry.Label);
        }
        for (const std::wstring& number : contact.Numbers) contact.Digits.push_back(DigitsOf(number.c_str()));
        sortKeys.push_back(SortKey(contact.Name));
        contacts.push_back(std::move(contact));
    }

    std::vector<size_t> order(contacts.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return sortKeys[a] < sortKeys[b]; });

    contacts_.clear();
    byOid_.clear();
    names_.clear();
    words_.clear();
    digits_.clear();
    nameStart_.assign(1, 0);
    wordStart_.assign(1, 0);
    digitStart_.assign(1, 0);
    contacts_.reserve(contacts.size());
    for (size_t i : order) {
        IndexedContact& contact = contacts[i];
        const std::wstring lower = Lower(contact.Name);
        const uint32_t base = static_cast<uint32_t>(names_.size());
        for (size_t k = 0; k < lower.size(); ++k) {
            const bool start = k == 0 || IsKeypadSeparator(lower[k - 1]);
            if (start && !IsKeypadSeparator(lower[k])) words_.push_back(base + static_cast<uint32_t>(k));
        }
        names_.insert(names_.end(), lower.begin(), lower.end());
        for (const std::string& number : contact.Digits) {
            digits_.insert(digits_.end(), number.begin(), number.end());
            digits_.push_back(0);
        }
        nameStart_.push_back(static_cast<uint32_t>(names_.size()));
        wordStart_.push_back(static_cast<uint32_t>(words_.size()));
        digitStart_.push_back(static_cast<uint32_t>(digits_.size()));
        byOid_.emplace(contact.Oid, contacts_.size());
        contacts_.push_back(std::move(contact));
    }
}

bool ContactSearchIndex::MatchesName(size_t contact, const uint8_t* keys, size_t count) const {
    const uint32_t end = nameStart_[contact + 1];
    const uint32_t* first = words_.data() + wordStart_[contact];
    const uint32_t* last = words_.data() + wordStart_[contact + 1];
    for (const uint32_t* word = first; word != last && *word + count <= end; ++word) {
        size_t j = 0;
        while (j < count && (keyMask_[names_[*word + j]] & keys[j])) ++j;
        if (j == count) return true;
    }
    if (count < 2) return false;
    for (const uint32_t* word = first; word + count <= last; ++word) {
        size_t j = 0;
        while (j < count && (keyMask_[names_[word[j]]] & keys[j])) ++j;
        if (j == count) return true;
    }
    return false;
}

bool ContactSearchIndex::MatchesNumber(size_t contact, const std::string& typed) const {
    const std::string_view digits(digits_.data() + digitStart_[contact],
                                  digitStart_[contact + 1] - digitStart_[contact]);
    return digits.find(typed) != std::string_view::npos;
}

void ContactSearchIndex::Search(const std::wstring& digits, std::vector<DWORD>& ids,
                                std::vector<std::wstring>& patterns) const {
    ids.clear();
    patterns.clear();
    if (digits.empty()) {
        for (const IndexedContact& contact : contacts_) ids.push_back(contact.Oid);
        return;
    }
    std::vector<uint8_t> keys;
    std::string typed;
    std::wstring pattern;
    bool spellable = !keyMask_.empty();
    for (wchar_t digit : digits) {
        if (digit < L'0' || digit > L'9') return;
        typed += static_cast<char>(digit);
        const int key = digit - L'2';
        if (key < 0 || key >= static_cast<int>(keyLetters_.size()) || keyLetters_[key].empty()) {
            spellable = false;
            continue;
        }
        keys.push_back(static_cast<uint8_t>(1u << key));
        if (!pattern.empty()) pattern += L'+';
        pattern += keyLetters_[key];
    }
    std::vector<DWORD> byNumber;
    for (size_t i = 0; i < contacts_.size(); ++i) {
        if (spellable && MatchesName(i, keys.data(), keys.size()))
            ids.push_back(contacts_[i].Oid);
        else if (MatchesNumber(i, typed))
            byNumber.push_back(contacts_[i].Oid);
    }
    ids.insert(ids.end(), byNumber.begin(), byNumber.end());
    if (spellable) patterns.push_back(pattern);
}

const IndexedContact* ContactSearchIndex::Find(DWORD oid) const {
    const auto found = byOid_.find(oid);
    return found == byOid_.end() ? nullptr : &contacts_[found->second];
}

std::vector<DWORD> ContactSearchIndex::FindByNumber(const std::wstring& number) const {
    std::vector<DWORD> ids;
    const std::string wanted = DigitsOf(number.c_str());
    for (const IndexedContact& contact : contacts_) {
        if (std::any_of(contact.Digits.begin(), contact.Digits.end(),
                        [&](const std::string& digits) { return SameNumber(digits, wanted); }))
            ids.push_back(contact.Oid);
    }
    return ids;
}

std::vector<BYTE> SearchReply(const std::vector<DWORD>& ids, const std::vector<std::wstring>& patterns) {
    std::vector<BYTE> reply;
    PutU32(reply, static_cast<DWORD>(ids.size()));
    for (DWORD id : ids) PutU32(reply, id);
    for (const std::wstring& pattern : patterns) PutText(reply, pattern);
    PutText(reply, L"");
    return reply;
}

std::vector<BYTE> RecordReply(const IndexedContact& contact) {
    std::vector<BYTE> reply;
    PutU32(reply, contact.Oid);
    PutU32(reply, static_cast<DWORD>(contact.Numbers.size()));
    PutText(reply, contact.Name);
    for (size_t i = 0; i < contact.Numbers.size(); ++i) {
        PutText(reply, contact.Numbers[i]);
        PutText(reply, contact.Kinds[i]);
    }
    PutText(reply, L"");
    PutText(reply, contact.Company);
    PutText(reply, contact.SortName);
    return reply;
}

std::vector<BYTE> NumberReply(const std::vector<DWORD>& ids) {
    std::vector<BYTE> reply;
    PutU32(reply, static_cast<DWORD>(ids.size()));
    for (DWORD id : ids) PutU32(reply, id);
    return reply;
}

} // namespace platform
