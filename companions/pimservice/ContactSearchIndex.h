#pragma once
// The contact search service's index: every contact's display name, word starts and number digits,
// laid out back to back in name order so that a keystroke is one pass over contiguous memory.
//
// Keypad search (code 1), digits typed on keys 2..9 under the keypad layout's letters:
//  - a contact matches by name when the keys spell, letter by letter, the start of a word of its name,
//    or when they spell the initials of consecutive words ("ип" for "Иван Петров");
//  - a contact matches by number when the typed digits appear in the digits of one of its numbers.
// Name matches come first, then number-only matches; the empty query lists everyone. Within each of
// these groups, which match equally well, contacts called often and lately come first, ranked by the
// summed weight of the calls to their numbers (CallHistory.h; a call to a number two contacts share
// counts for both), and the rest follow in name order as the platform compares names. Without
// ranking, or between equal weights, name order decides. One pattern accompanies the ids: the typed
// keys' letter sets joined by "+", which highlights the matched word start.
//
// A query that extends the one searched before it (a key typed) searches only that query's matches,
// as no contact can match the longer query without matching its beginning; the matches of every
// shorter query on the way are kept, so that erasing a key costs no search at all. The empty query
// starts afresh.
//
// Display names: the contact's sort name, else its company, else its first number, so that a contact
// found by number never shows as a blank row. A contact with none of these is left out of the index
// and reported in the error log.
//
// Record (code 2): "first" is the contact's id, "second" the count of its numbers; the two trailing
// texts are its company and its own sort name.
//
// Number look-up (code 5): digits are compared, nothing else; two numbers match when their digits are
// equal, or when both have at least ten digits and the last ten agree, so that a national form
// ("8 900 111-22-33", "020 7946 0958") finds the international one ("+7 900 111 22 33",
// "+44 20 7946 0958"). Calls in the log are matched to contacts' numbers by the same rule.
#include "companions/pimservice/CallHistory.h"
#include "picker/KeypadLayout.h"
#include "platform/ContactCatalog.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One contact's record, as code 2 replies it.
struct IndexedContact {
    DWORD Oid = 0;
    std::wstring Name;                        // as shown
    std::vector<std::wstring> Numbers, Kinds; // kind: one character 1..13, or the label
    std::wstring Company, SortName;
};

class ContactSearchIndex {
public:
    // Indexes every contact of the list.
    void Build(IContactList& contacts);
    // The letters that keys 2..9 stand for in searches.
    void SetKeys(const KeypadLayout& layout);

    // Orders equal matches by their calls: the summed weight of the calls to each number, by its
    // digits (CallHistory::Weights). No calls gives name order.
    void Rank(const std::vector<CallHistory::NumberWeight>& weights);

    // Code 1: the ids in reply order and the highlight patterns.
    void Search(const std::wstring& digits, std::vector<DWORD>& ids, std::vector<std::wstring>& patterns);
    // Code 2: the contact, or nothing.
    std::optional<IndexedContact> Find(DWORD oid) const;
    // Code 5: the contacts having the number.
    std::vector<DWORD> FindByNumber(const std::wstring& number) const;

    size_t Size() const { return records_.size(); }

private:
    // A run of bytes of text_.
    struct Span {
        uint32_t Start = 0, Length = 0;
    };
    struct Number {
        Span Text, Kind;
    };
    struct Record {
        DWORD Oid = 0;
        Span SortName, Company;
        uint32_t FirstNumber = 0, NumberCount = 0; // entries of numbers_
    };

    std::string_view Text(Span span) const { return std::string_view(text_).substr(span.Start, span.Length); }
    std::string_view NameOf(const Record& record) const; // UTF-8
    // The digits of each number of the contact in name order, each closed by a zero.
    std::string_view DigitsAt(size_t contact) const {
        return std::string_view(digits_.data() + digitStart_[contact],
                                digitStart_[contact + 1] - digitStart_[contact]);
    }
    bool MatchesName(size_t contact, const uint8_t* keys, size_t count) const;
    bool MatchesNumber(size_t contact, std::string_view typed) const;
    // Orders rank_ by calls_.
    void RankByCalls();

    // Every contact's texts back to back, so that building the index allocates a few large blocks
    // rather than several strings per contact.
    std::string text_; // UTF-8
    std::vector<Number> numbers_;
    std::vector<Record> records_; // in id order
    std::vector<uint32_t> order_; // the record of each contact in name order
    // Per contact i in name order, entries [start[i], start[i + 1]) of the flat arrays.
    std::vector<wchar_t> names_; // lower-cased names
    std::vector<uint32_t> nameStart_;
    std::vector<uint32_t> words_; // word starts, as offsets into names_
    std::vector<uint32_t> wordStart_;
    std::vector<char> digits_; // digits of the numbers, each number closed by a zero
    std::vector<uint32_t> digitStart_;
    // For the number look-up, one entry per number: the hash of the digits that decide a match (the
    // last ten, or all of a shorter number) and the contact in name order; sorted.
    std::vector<std::pair<uint64_t, uint32_t>> numberKeys_;
    std::vector<std::wstring> keyLetters_; // lower-cased letters of keys 2..9
    std::vector<uint8_t> keyMask_;         // per character: bit k set when key k + 2 stands for it
    std::vector<CallHistory::NumberWeight> calls_;
    std::vector<uint32_t> rank_; // every contact in name order, in the order replies list them

    // The matches of the first Length digits of the query searched last, shortest first: contacts in
    // name order, listed in rank_'s order, marked ByName when their name matched.
    static constexpr uint32_t ByName = 0x80000000u;
    struct Narrowed {
        size_t Length = 0;
        std::vector<uint32_t> Matches;
    };
    std::wstring searched_;
    std::vector<Narrowed> narrowed_;
    std::vector<uint8_t> keys_; // of the query at hand: one bit per spellable key
    std::string typed_;         // its digits
};

// Whether two numbers are the same by the rule above.
bool SameNumber(std::string_view digitsA, std::string_view digitsB);
std::string DigitsOf(const wchar_t* number);

// Reply bytes of the three requests, in the formats the search client reads.
std::vector<BYTE> SearchReply(const std::vector<DWORD>& ids, const std::vector<std::wstring>& patterns);
std::vector<BYTE> RecordReply(const IndexedContact& contact);
std::vector<BYTE> NumberReply(const std::vector<DWORD>& ids);

} // namespace platform
