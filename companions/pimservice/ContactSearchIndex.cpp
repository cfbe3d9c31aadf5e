#include "companions/pimservice/ContactSearchIndex.h"

#include "contacts/ContactDetails.h"
#include "foundation/ErrorLog.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace platform {

namespace {

std::wstring Lower(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Appends the UTF-8 text to pool as UTF-16.
void AppendWide(std::wstring& pool, std::string_view utf8) {
    const size_t start = pool.size();
    pool.resize(start + utf8.size());
    const int length = utf8.empty()
                           ? 0
                           : MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                 pool.data() + start, static_cast<int>(utf8.size()));
    pool.resize(start + (length > 0 ? length : 0));
}

// Appends the UTF-16 text to pool as UTF-8.
void AppendUtf8(std::string& pool, std::wstring_view text) {
    const int length = text.empty()
                           ? 0
                           : WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                 nullptr, 0, nullptr, nullptr);
    if (length <= 0) return;
    const size_t start = pool.size();
    pool.resize(start + static_cast<size_t>(length));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), pool.data() + start, length,
                        nullptr, nullptr);
}

std::wstring Wide(std::string_view utf8) {
    std::wstring text;
    AppendWide(text, utf8);
    return text;
}

// Appends a key to pool that orders names as the platform compares them under the system default
// locale.
void AppendSortKey(std::string& pool, std::wstring_view name) {
    // The empty name is measured by its terminator: a zero length is refused.
    const wchar_t* text = name.empty() ? L"" : name.data();
    const int length = name.empty() ? -1 : static_cast<int>(name.size());
    const size_t start = pool.size();
    pool.resize(start + 512);
    int size = LCMapStringW(0x0800, LCMAP_SORTKEY, text, length,
                            reinterpret_cast<wchar_t*>(pool.data() + start), 512);
    if (size <= 0) {
        size = LCMapStringW(0x0800, LCMAP_SORTKEY, text, length, nullptr, 0);
        pool.resize(start + (size > 0 ? size : 0));
        if (size > 0)
            LCMapStringW(0x0800, LCMAP_SORTKEY, text, length, reinterpret_cast<wchar_t*>(pool.data() + start),
                         size);
    }
    pool.resize(start + (size > 0 ? size : 0));
}

std::string_view View(const CatalogText& text) {
    return std::string_view(text.Bytes, text.Length);
}

// The numbers a contact keeps in its notes' information block.
Array<PhoneEntry> NotesNumbers(const CatalogContact& contact) {
    Array<PhoneEntry> phones;
    const std::string_view bytes = View(contact.Notes);
    // Text notes without the block's start marker hold no numbers: most notes are skipped undecoded.
    if (bytes.empty() ||
        (!contact.RawNotes && bytes.find("== start pim information ==") == std::string_view::npos))
        return phones;
    std::wstring text;
    if (!contact.RawNotes) AppendWide(text, bytes);
    const WString notes = contact.RawNotes
                              ? DecodeNotes(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size())
                              : WString(text.c_str());
    ReadPhoneList(InformationBlock(notes), phones);
    return phones;
}

void Put(std::vector<BYTE>& reply, const void* data, size_t bytes) {
    reply.insert(reply.end(), static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + bytes);
}

constexpr size_t SignificantDigits = 10;

// The digits that decide whether two numbers are the same: the last ten, or all of a shorter number.
std::string_view DecidingDigits(std::string_view digits) {
    return digits.size() > SignificantDigits ? digits.substr(digits.size() - SignificantDigits) : digits;
}

// Equal for numbers that SameNumber matches (hashes of the digits that decide it), and for few others.
uint64_t NumberKey(std::string_view digits) {
    if (digits.size() > SignificantDigits) digits.remove_prefix(digits.size() - SignificantDigits);
    uint64_t hash = 14695981039346656037ull;
    for (char c : digits) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
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

bool SameNumber(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) return false;
    if (a == b) return true;
    return a.size() >= SignificantDigits && b.size() >= SignificantDigits &&
           a.substr(a.size() - SignificantDigits) == b.substr(b.size() - SignificantDigits);
}

void ContactSearchIndex::SetKeys(const KeypadLayout& layout) {
    std::vector<std::wstring> letters(8);
    for (int key = 0; key < layout.letters.GetSize() && key < 8; ++key)
        letters[key] = Lower(static_cast<const wchar_t*>(layout.letters.GetAt(key)));
    // The service passes the layout on every keystroke; the table is rebuilt only when it changed.
    if (letters == keyLetters_ && !keyMask_.empty()) return;
    keyLetters_ = std::move(letters);
    // Matches under other letters say nothing about matches under these.
    searched_.clear();
    narrowed_.clear();
    keyMask_.assign(0x10000, 0);
    for (size_t key = 0; key < keyLetters_.size(); ++key) {
        for (wchar_t letter : keyLetters_[key]) keyMask_[letter] |= static_cast<uint8_t>(1u << key);
    }
}

void ContactSearchIndex::Build(IContactList& contacts) {
    const ULONG count = contacts.Count();
    text_.clear();
    numbers_.clear();
    records_.clear();
    records_.reserve(count);
    std::string keys;
    std::vector<Span> keySpans; // of keys
    keySpans.reserve(count);
    // Each appends to text_ and tells where the text lies.
    auto addUtf8 = [&](std::string_view utf8) {
        const Span taken{static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(utf8.size())};
        text_.append(utf8);
        return taken;
    };
    auto addText = [&](std::wstring_view text) {
        const auto start = static_cast<uint32_t>(text_.size());
        AppendUtf8(text_, text);
        return Span{start, static_cast<uint32_t>(text_.size()) - start};
    };
    std::wstring name; // of the contact at hand, as UTF-16
    ProblemReport unnamed(L"contact search", L"ContactSearchIndex::Build");
    // The list gives its contacts in id order, and so the records are kept.
    for (ULONG i = 0; i < count; ++i) {
        CatalogContact contact;
        if (FAILED(contacts.Get(i, &contact))) continue;
        const size_t textStart = text_.size(), numberStart = numbers_.size();
        Record record;
        record.Oid = contact.Oid;
        record.SortName = addUtf8(View(contact.SortName));
        record.Company = addUtf8(View(contact.Company));
        record.FirstNumber = static_cast<uint32_t>(numbers_.size());
        for (int kind = 0; kind < CatalogPhoneKinds; ++kind) {
            const std::string_view number = View(contact.Phones[kind]);
            if (number.empty()) continue;
            const char kindText = static_cast<char>(kind + 1);
            Number stored;
            stored.Text = addUtf8(number);
            stored.Kind = addUtf8(std::string_view(&kindText, 1));
            numbers_.push_back(stored);
        }
        const Array<PhoneEntry> phones = NotesNumbers(contact);
        for (int i = 0; i < phones.GetSize(); ++i) {
            const PhoneEntry phone = phones.GetAt(i);
            Number stored;
            stored.Text = addText(static_cast<const wchar_t*>(phone.Number));
            stored.Kind = addText(static_cast<const wchar_t*>(phone.Label));
            numbers_.push_back(stored);
        }
        record.NumberCount = static_cast<uint32_t>(numbers_.size()) - record.FirstNumber;
        if (NameOf(record).empty()) {
            WString what;
            what.Format(L"contact %08lx has neither a name nor a number: the picker leaves it out",
                        static_cast<unsigned long>(record.Oid));
            unnamed.Add(what);
            text_.resize(textStart);
            numbers_.resize(numberStart);
            continue;
        }
        records_.push_back(record);
        const auto keyStart = static_cast<uint32_t>(keys.size());
        name.clear();
        AppendWide(name, NameOf(record));
        AppendSortKey(keys, name);
        keySpans.push_back({keyStart, static_cast<uint32_t>(keys.size()) - keyStart});
    }

    order_.resize(records_.size());
    for (size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<uint32_t>(i);
    auto key = [&](uint32_t record) {
        return std::string_view(keys).substr(keySpans[record].Start, keySpans[record].Length);
    };
    std::stable_sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) { return key(a) < key(b); });

    names_.clear();
    words_.clear();
    digits_.clear();
    nameStart_.assign(1, 0);
    wordStart_.assign(1, 0);
    digitStart_.assign(1, 0);
    numberKeys_.clear();
    for (uint32_t index : order_) {
        const Record& record = records_[index];
        name.clear();
        AppendWide(name, NameOf(record));
        const size_t base = names_.size();
        names_.insert(names_.end(), name.begin(), name.end());
        wchar_t* lower = names_.data() + base;
        if (!name.empty()) CharLowerBuffW(lower, static_cast<DWORD>(name.size()));
        for (size_t k = 0; k < name.size(); ++k) {
            const bool start = k == 0 || IsKeypadSeparator(lower[k - 1]);
            if (start && !IsKeypadSeparator(lower[k])) words_.push_back(static_cast<uint32_t>(base + k));
        }
        for (uint32_t n = record.FirstNumber; n < record.FirstNumber + record.NumberCount; ++n) {
            const size_t start = digits_.size();
            for (char c : Text(numbers_[n].Text))
                if (c >= '0' && c <= '9') digits_.push_back(c);
            if (digits_.size() > start)
                numberKeys_.emplace_back(
                    NumberKey(std::string_view(digits_.data() + start, digits_.size() - start)),
                    static_cast<uint32_t>(nameStart_.size() - 1));
            digits_.push_back(0);
        }
        nameStart_.push_back(static_cast<uint32_t>(names_.size()));
        wordStart_.push_back(static_cast<uint32_t>(words_.size()));
        digitStart_.push_back(static_cast<uint32_t>(digits_.size()));
    }
    std::sort(numberKeys_.begin(), numberKeys_.end());
    RankByCalls();
}

std::string_view ContactSearchIndex::NameOf(const Record& record) const {
    if (record.SortName.Length) return Text(record.SortName);
    if (record.Company.Length || !record.NumberCount) return Text(record.Company);
    return Text(numbers_[record.FirstNumber].Text);
}

void ContactSearchIndex::Rank(const std::vector<CallHistory::NumberWeight>& weights) {
    calls_ = weights;
    RankByCalls();
}

void ContactSearchIndex::RankByCalls() {
    std::unordered_map<std::string_view, double> byKey;
    for (const CallHistory::NumberWeight& number : calls_) {
        const std::string_view key = DecidingDigits(number.Digits);
        if (!key.empty()) byKey[key] += number.Weight;
    }
    std::vector<std::pair<double, uint32_t>> called; // weight, contact in name order
    std::vector<std::string_view> keys;              // of the contact at hand, each counted once
    for (uint32_t i = 0; i < order_.size() && !byKey.empty(); ++i) {
        double weight = 0;
        keys.clear();
        std::string_view digits = DigitsAt(i);
        for (size_t end = digits.find('\0'); end != std::string_view::npos; end = digits.find('\0')) {
            const std::string_view key = DecidingDigits(digits.substr(0, end));
            digits.remove_prefix(end + 1);
            if (key.empty() || std::find(keys.begin(), keys.end(), key) != keys.end()) continue;
            keys.push_back(key);
            if (const auto found = byKey.find(key); found != byKey.end()) weight += found->second;
        }
        if (weight > 0) called.emplace_back(weight, i);
    }
    // Equal weights keep name order.
    std::stable_sort(called.begin(), called.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<bool> ranked(order_.size());
    rank_.clear();
    rank_.reserve(order_.size());
    for (const auto& contact : called) {
        rank_.push_back(contact.second);
        ranked[contact.second] = true;
    }
    for (uint32_t i = 0; i < order_.size(); ++i)
        if (!ranked[i]) rank_.push_back(i);
    searched_.clear();
    narrowed_.clear();
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

bool ContactSearchIndex::MatchesNumber(size_t contact, std::string_view typed) const {
    return DigitsAt(contact).find(typed) != std::string_view::npos;
}

void ContactSearchIndex::Search(const std::wstring& digits, std::vector<DWORD>& ids,
                                std::vector<std::wstring>& patterns) {
    ids.clear();
    patterns.clear();
    if (digits.empty()) {
        searched_.clear();
        narrowed_.clear();
        ids.reserve(rank_.size());
        for (uint32_t contact : rank_) ids.push_back(records_[order_[contact]].Oid);
        return;
    }
    keys_.clear();
    typed_.clear();
    std::wstring pattern;
    bool spellable = !keyMask_.empty();
    for (wchar_t digit : digits) {
        if (digit < L'0' || digit > L'9') return;
        typed_ += static_cast<char>(digit);
        const int key = digit - L'2';
        if (key < 0 || key >= static_cast<int>(keyLetters_.size()) || keyLetters_[key].empty()) {
            spellable = false;
            continue;
        }
        keys_.push_back(static_cast<uint8_t>(1u << key));
        if (!pattern.empty()) pattern += L'+';
        pattern += keyLetters_[key];
    }

    // Back to the longest query searched on the way here; what it did not match cannot match now.
    const size_t common =
        std::mismatch(searched_.begin(), searched_.end(), digits.begin(), digits.end()).first -
        searched_.begin();
    while (!narrowed_.empty() && narrowed_.back().Length > common) narrowed_.pop_back();
    searched_ = digits;
    if (narrowed_.empty() || narrowed_.back().Length < digits.size()) {
        Narrowed next{digits.size(), {}};
        const std::vector<uint32_t>& candidates = narrowed_.empty() ? rank_ : narrowed_.back().Matches;
        for (uint32_t entry : candidates) {
            const uint32_t contact = entry & ~ByName;
            if (spellable && MatchesName(contact, keys_.data(), keys_.size()))
                next.Matches.push_back(contact | ByName);
            else if (MatchesNumber(contact, typed_))
                next.Matches.push_back(contact);
        }
        narrowed_.push_back(std::move(next));
    }

    const std::vector<uint32_t>& matches = narrowed_.back().Matches;
    ids.reserve(matches.size());
    for (uint32_t entry : matches)
        if (entry & ByName) ids.push_back(records_[order_[entry & ~ByName]].Oid);
    for (uint32_t entry : matches)
        if (!(entry & ByName)) ids.push_back(records_[order_[entry]].Oid);
    if (spellable) patterns.push_back(pattern);
}

std::optional<IndexedContact> ContactSearchIndex::Find(DWORD oid) const {
    const auto found = std::lower_bound(records_.begin(), records_.end(), oid,
                                        [](const Record& record, DWORD value) { return record.Oid < value; });
    if (found == records_.end() || found->Oid != oid) return std::nullopt;
    IndexedContact contact;
    contact.Oid = oid;
    contact.Name = Wide(NameOf(*found));
    contact.Company = Wide(Text(found->Company));
    contact.SortName = Wide(Text(found->SortName));
    for (uint32_t n = found->FirstNumber; n < found->FirstNumber + found->NumberCount; ++n) {
        contact.Numbers.push_back(Wide(Text(numbers_[n].Text)));
        contact.Kinds.push_back(Wide(Text(numbers_[n].Kind)));
    }
    return contact;
}

std::vector<DWORD> ContactSearchIndex::FindByNumber(const std::wstring& number) const {
    std::vector<DWORD> ids;
    const std::string wanted = DigitsOf(number.c_str());
    if (wanted.empty()) return ids;
    // The entries of one contact lie together, in name order: each contact is looked at once.
    const uint64_t key = NumberKey(wanted);
    auto entry = std::lower_bound(numberKeys_.begin(), numberKeys_.end(), std::pair{key, uint32_t{0}});
    for (uint32_t last = UINT32_MAX; entry != numberKeys_.end() && entry->first == key; ++entry) {
        const uint32_t i = entry->second;
        if (i == last) continue;
        last = i;
        // The contact's numbers, each closed by a zero.
        std::string_view digits(digits_.data() + digitStart_[i], digitStart_[i + 1] - digitStart_[i]);
        for (size_t end = digits.find('\0'); end != std::string_view::npos; end = digits.find('\0')) {
            if (SameNumber(digits.substr(0, end), wanted)) {
                ids.push_back(records_[order_[i]].Oid);
                break;
            }
            digits.remove_prefix(end + 1);
        }
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
