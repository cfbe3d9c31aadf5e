#pragma once
// The vCard reader of the desktop contact store: turns the text of a .vcf file (vCard 2.1, 3.0, 4.0,
// many cards to a file) into compact card records that serve the contact object model's properties.
//
// How a card maps onto the store's fields:
//
// | vCard                              | field                                                         |
// |------------------------------------|---------------------------------------------------------------|
// | N (last;first;middle;…)            | Last, First, Middle (a comma list within a part joins by " ") |
// | FN, when N gives no name           | First = all but the last word, Last = the last word           |
// | ORG (first part)                   | Company                                                       |
// | SORT-STRING; else N's SORT-AS      | SortName; else "Last, First", Last, First or Company          |
// | TEL, by its types or its X-ABLabel | one of the 13 phone kinds, or an extra number (table below)   |
// | NOTE (several join by a line break)| Notes, stored as text (at most NotesLimit bytes)              |
// | X-DIALVANE-NOTES (base64)          | Notes as raw bytes (e.g. the compact rich-text format)        |
// | PHOTO (base64 or data: URI)        | Picture bytes, as they are (JPEG, PNG, GIF, BMP, …)           |
// | UID                                | UidKey, from "U:<uid>"; NameKey from "N:<FN, N and ORG>"      |
//
// Numbers. A number takes the first free kind its types allow; numbers with types are placed first, in
// the order of the file, then those without. A number that finds no free kind, and every number
// whose types say nothing of its kind, becomes an extra number: a "Phone:" item of the notes'
// information block, with a label of its own. A number never gets a kind the file does not give it.
//
// | types (TYPE=, bare 2.1 types, X-ABLabel)       | kinds, in order | label as an extra number  |
// |------------------------------------------------|-----------------|---------------------------|
// | FAX with HOME (HOMEFAX)                        | 9 home fax      | "Дом. факс"               |
// | FAX otherwise (WORKFAX, OTHERFAX)              | 8 work fax      | "Раб. факс"               |
// | PAGER                                          | 5 pager         | "Пейджер"                 |
// | CAR                                            | 12 car          | "Авто"                    |
// | CELL, MOBILE, IPHONE                           | 0 mobile        | "Мобильный"               |
// | ASSISTANT, X-ASSISTANT                         | 7 assistant     | "Ассистент"               |
// | RADIO, X-RADIO                                 | 6 radio         | "Радио"                   |
// | COMPANY, X-COMPANY, MAIN, COMPANYMAIN          | 10 company      | "Организация"             |
// | MMS, X-MMS                                     | 11 MMS          | "MMS"                     |
// | HOME                                           | 1, 2 home       | "Домашний"                |
// | WORK                                           | 3, 4 work       | "Рабочий"                 |
// | none, or only VOICE, PREF, TEXT, VIDEO, …      | none            | "Телефон"                 |
// | an X-ABLabel of the user's own ("Дача")        | none            | the label itself          |
// Where one number has several types, the row higher in the table decides.
//
// Values are decoded from QUOTED-PRINTABLE and base64, folded lines are joined, and text is stored
// as UTF-8: from the CHARSET parameter when it names a known code page, else as UTF-8 when the bytes
// are valid UTF-8, else as windows-1251. Files may also be UTF-16 with a byte order mark. Lines may
// end in CR, LF or CR LF, mixed. NUL characters are dropped from text values.
//
// Bad input never stops the reader: a card without END ends at the next BEGIN or at the end of the
// text and keeps what it read; a property it cannot decode (bad base64, a line without ':') is left
// out; text outside cards is ignored. A number identical to one the card already holds is dropped.
// What a card costs is bounded: a text property's line is read up to LineLimit bytes, the notes are
// kept up to NotesLimit bytes (their information block first), and a picture is decoded straight
// from the file's text, so it is held once and never larger than the file's bytes of it. Everything
// cut or left out is told in ParseResult::Problems.
//
// What the reader makes of a file is kept between runs in the card cache (CardCache.h): a change to
// what it gives for the same text raises CardCacheVersion, so that no card is taken from an older
// reading.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vcard {

constexpr int PhoneKinds = 13;

// Phone kinds, in the order of the store's phone properties.
enum PhoneKind {
    Mobile,
    Home,
    Home2,
    Work,
    Work2,
    Pager,
    Radio,
    Assistant,
    WorkFax,
    HomeFax,
    CompanyMain,
    Mms,
    Car
};

// The fields of a card, in the order they lie in CardSet::Bytes: the short ones (at most
// ShortFieldLimit bytes each), then the notes and the picture.
enum Field { First, Last, Middle, Company, SortName, Phone0, Notes = Phone0 + PhoneKinds, Photo, FieldCount };
constexpr int ShortFieldCount = Notes;
constexpr size_t ShortFieldLimit = 0xFFFF;

// The field of the number of a kind.
constexpr int PhoneField(int kind) {
    return Phone0 + kind;
}

// FNV-1a over text, going on from hash: a key's hash, and the hash of the key with more text appended
// ("#2") from the key's hash alone.
constexpr uint64_t KeyHashStart = 14695981039346656037ull;
constexpr uint64_t KeyHash(std::string_view text, uint64_t hash = KeyHashStart) {
    for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

struct Card {
    uint64_t UidKey = 0;  // KeyHash of "U:<uid>"; 0 without a UID
    uint64_t NameKey = 0; // KeyHash of "N:<FN>|<N>|<ORG>", the texts as written
    uint32_t Start = 0;   // offset of the card's first field in CardSet::Bytes
    uint32_t NotesLength = 0;
    uint32_t PhotoLength = 0;
    uint16_t Length[ShortFieldCount] = {};
    bool RawNotes = false; // Notes holds raw bytes rather than UTF-8 text
};

// The cards of one file. Every field of a card lies in Bytes, the fields one after another.
struct CardSet {
    std::string Bytes;
    std::vector<Card> Cards;

    std::string_view Get(const Card& card, Field field) const;
};

constexpr size_t LineLimit = 256 * 1024;
constexpr size_t NotesLimit = 64 * 1024;

// One thing wrong with the input, for the error log.
struct Problem {
    uint32_t Line = 0; // where it was found, counting from 1
    std::string Card;  // the name of the card it was found in, when it has one (UTF-8)
    std::string What;
};

struct ParseResult {
    int Cards = 0;
    bool Complete = true;          // false when the text ends inside a card (a file still being written)
    std::vector<Problem> Problems; // the first MaxProblems found
    int MoreProblems = 0;          // found beyond those
    static constexpr size_t MaxProblems = 20;
};

// Reads every card of text (any of the encodings above) and appends it to set.
ParseResult ParseVcards(std::string_view text, CardSet& set);

// Type bits of a TEL property, from TYPE parameters, bare 2.1 parameters and Apple-style labels.
enum TelType : unsigned {
    TelHome = 1,
    TelWork = 2,
    TelCell = 4,
    TelFax = 8,
    TelPager = 16,
    TelCar = 32,
    TelRadio = 64,
    TelAssistant = 128,
    TelCompany = 256,
    TelMms = 512,
};

// The kinds a number of these types may take, in order of preference (the first free one is used),
// and the label its "Phone:" item gets when all are taken (the table above).
struct KindChoice {
    int Kinds[2];
    int Count;
    const char* OverflowLabel; // UTF-8
};
KindChoice PhoneKindFor(unsigned types);

// The type bits one type name or label stands for ("CELL", "x-radio", "_$!<HomeFAX>!$_", "iPhone");
// 0 for names that decide nothing (VOICE, PREF, custom labels).
unsigned TelTypeFromName(std::string_view name);

} // namespace vcard
