#include "companions/contactstore/VcardReader.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vcard {

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::string_view StripQuotes(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

// Whether text is UTF-8 by its byte patterns; strict also refuses overlong forms, surrogates and
// values past U+10FFFF, which a conversion would replace.
bool IsValidUtf8(std::string_view text, bool strict = false) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t follow = c < 0x80                ? 0
                        : c >= 0xC2 && c < 0xE0 ? 1
                        : c >= 0xE0 && c < 0xF0 ? 2
                        : c >= 0xF0 && c < 0xF5 ? 3
                                                : 9;
        if (follow == 9 || i + follow >= text.size()) return false;
        for (size_t k = 1; k <= follow; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        if (strict && follow >= 2) {
            unsigned char next = static_cast<unsigned char>(text[i + 1]);
            if ((c == 0xE0 && next < 0xA0) || (c == 0xED && next >= 0xA0) || (c == 0xF0 && next < 0x90) ||
                (c == 0xF4 && next >= 0x90))
                return false;
        }
        i += follow + 1;
    }
    return true;
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Code page of a CHARSET parameter; 0 for unknown names.
UINT CodePageOf(std::string_view charset) {
    static constexpr struct {
        const char* name;
        UINT page;
    } pages[] = {
        {"UTF-8", CP_UTF8},     {"UTF8", CP_UTF8},      {"WINDOWS-1251", 1251}, {"CP1251", 1251},
        {"WINDOWS-1252", 1252}, {"CP1252", 1252},       {"ISO-8859-1", 28591},  {"LATIN1", 28591},
        {"ISO-8859-5", 28595},  {"ISO-8859-15", 28605}, {"KOI8-R", 20866},      {"KOI8-U", 21866},
        {"US-ASCII", 1252},     {"ASCII", 1252},        {"IBM866", 866},        {"CP866", 866},
        {"SHIFT_JIS", 932},     {"GB2312", 936},        {"GBK", 936},           {"BIG5", 950},
        {"WINDOWS-1250", 1250}, {"ISO-8859-2", 28592},  {"WINDOWS-1253", 1253}, {"WINDOWS-1254", 1254}};
    for (const auto& entry : pages)
        if (EqualsNoCase(charset, entry.name)) return entry.page;
    return 0;
}

void AppendConverted(std::string_view bytes, UINT page, std::string& out) {
    if (bytes.empty()) return;
    int wide = MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (wide <= 0) return;
    std::wstring buffer(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(page, 0, bytes.data(), static_cast<int>(bytes.size()), buffer.data(), wide);
    int narrow = WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0) return;
    size_t at = out.size();
    out.resize(at + static_cast<size_t>(narrow));
    WideCharToMultiByte(CP_UTF8, 0, buffer.data(), wide, out.data() + at, narrow, nullptr, nullptr);
}

// Text bytes of charset (0 = not named) as UTF-8, appended to out.
void AppendUtf8(std::string_view bytes, UINT page, std::string& out) {
    if (IsAscii(bytes)) {
        out.append(bytes);
    } else if (page == CP_UTF8) {
        if (IsValidUtf8(bytes, true)) {
            out.append(bytes);
        } else {
            AppendConverted(bytes, CP_UTF8, out); // replaces malformed sequences
        }
    } else if (page != 0) {
        AppendConverted(bytes, page, out);
    } else if (IsValidUtf8(bytes)) {
        out.append(bytes);
    } else {
        AppendConverted(bytes, 1251, out);
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Upper(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// QUOTED-PRINTABLE bytes decoded; a malformed escape stays as it was written.
void DecodeQuotedPrintable(std::string_view text, std::string& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size()) {
            int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+' || c == '-') return 62;
    if (c == '/' || c == '_') return 63;
    return -1;
}

// Base64 (standard or URL alphabet, white space ignored, padding optional); false on any other
// character, leaving out as it was.
bool DecodeBase64(std::string_view text, std::string& out) {
    size_t start = out.size();
    unsigned accumulator = 0;
    int bits = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '=') break;
        int value = Base64Value(c);
        if (value < 0) {
            out.resize(start);
            return false;
        }
        accumulator = (accumulator << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((accumulator >> bits) & 0xFF);
        }
    }
    return out.size() > start;
}

bool IsBase64Line(std::string_view line) {
    if (line.empty()) return false;
    for (char c : line)
        if (Base64Value(c) < 0 && c != '=' && c != ' ' && c != '\t') return false;
    return true;
}

// Splits a structured value at ';' that no backslash escapes; the parts keep their escapes.
void SplitStructured(std::string_view value, char separator, std::vector<std::string_view>& parts) {
    parts.clear();
    size_t begin = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\') {
            ++i;
        } else if (value[i] == separator) {
            parts.push_back(value.substr(begin, i - begin));
            begin = i + 1;
        }
    }
    parts.push_back(value.substr(begin));
}

// Removes the escapes of a text value; "\n" becomes a line break and an unknown escape its character.
void Unescape(std::string_view value, std::string& out, const char* lineBreak) {
    for (size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            char next = value[++i];
            if (next == 'n' || next == 'N') {
                out += lineBreak;
            } else {
                out += next;
            }
        } else {
            out += c;
        }
    }
}

// A name part into out: a comma list (vCard 3.0 and later) joins with blanks.
void NamePart(std::string_view part, std::string& text, std::string& out) {
    out.clear();
    size_t begin = 0;
    for (size_t i = 0; i <= part.size(); ++i) {
        if (i < part.size() && part[i] == '\\') {
            ++i;
            continue;
        }
        if (i < part.size() && part[i] != ',') continue;
        text.clear();
        Unescape(part.substr(begin, i - begin), text, " ");
        begin = i + 1;
        std::string_view trimmed = Trim(text);
        if (trimmed.empty()) continue;
        if (!out.empty()) out += ' ';
        out += trimmed;
    }
}

// The longest start of text of at most limit bytes that does not cut a UTF-8 character.
std::string_view CutAtCharacter(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

// Appends text with its control characters made blanks, as the store's keys have always been made.
void AppendKeyText(std::string_view text, std::string& out) {
    for (char c : text) out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
}

struct Tel {
    std::string Group;
    unsigned Types = 0;
    std::string Number;
};

struct Label {
    std::string Group;
    std::string Text;
};

// Everything a card collects before it is stored.
struct CardBuilder {
    std::string N, Fn, Org, Uid, SortString, SortAs, Notes, RawNotes;
    std::string_view Photo; // its base64 text in the file's text, decoded when the card is stored
    bool HasN = false, HasRawNotes = false, HasPhoto = false;
    uint32_t Line = 0; // of its BEGIN
    // What was wrong with the card so far (line, what), named once the card's name is known.
    std::vector<std::pair<uint32_t, std::string>> Problems;
    // What Store works on, kept between cards for the buffers.
    std::string First, Last, Middle, Company, SortName, FullName, Overflow, Text;
    std::vector<std::string_view> Parts;
    std::vector<Tel> Tels; // the first TelCount are this card's; the rest keep their buffers for reuse
    size_t TelCount = 0;
    std::vector<Label> Labels;

    void Clear() {
        N.clear(), Fn.clear(), Org.clear(), Uid.clear(), SortString.clear(), SortAs.clear();
        Notes.clear(), RawNotes.clear(), Photo = {};
        HasN = HasRawNotes = HasPhoto = false;
        TelCount = 0;
        Labels.clear();
        Problems.clear();
    }

    void Add(uint32_t line, std::string what) {
        if (Problems.size() < ParseResult::MaxProblems) Problems.emplace_back(line, std::move(what));
    }
};

// The most numbers a card keeps: more are bad input, not a contact.
constexpr size_t MaxNumbers = 100;

// One property line taken apart.
struct Property {
    std::string_view Group, Name, Value;
    unsigned Types = 0;
    bool QuotedPrintable = false, Base64 = false, Uri = false;
    UINT CodePage = 0;
    std::string_view UnknownCharset; // a CHARSET whose code page is not known
    std::string_view SortAs;
};

void ReadParameter(std::string_view parameter, Property& property) {
    size_t equals = parameter.find('=');
    if (equals == std::string_view::npos) {
        // vCard 2.1 bare parameters: a type or an encoding.
        if (EqualsNoCase(parameter, "QUOTED-PRINTABLE")) {
            property.QuotedPrintable = true;
        } else if (EqualsNoCase(parameter, "BASE64") || EqualsNoCase(parameter, "B")) {
            property.Base64 = true;
        } else {
            property.Types |= TelTypeFromName(parameter);
        }
        return;
    }
    std::string_view key = Trim(parameter.substr(0, equals));
    std::string_view value = StripQuotes(Trim(parameter.substr(equals + 1)));
    if (EqualsNoCase(key, "TYPE")) {
        while (!value.empty()) {
            size_t comma = value.find(',');
            property.Types |= TelTypeFromName(StripQuotes(Trim(value.substr(0, comma))));
            value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
        }
    } else if (EqualsNoCase(key, "ENCODING")) {
        if (EqualsNoCase(value, "QUOTED-PRINTABLE")) property.QuotedPrintable = true;
        if (EqualsNoCase(value, "BASE64") || EqualsNoCase(value, "B")) property.Base64 = true;
    } else if (EqualsNoCase(key, "CHARSET")) {
        property.CodePage = CodePageOf(value);
        if (!property.CodePage) property.UnknownCharset = value;
    } else if (EqualsNoCase(key, "VALUE")) {
        property.Uri = EqualsNoCase(value, "URI") || EqualsNoCase(value, "URL");
    } else if (EqualsNoCase(key, "SORT-AS")) {
        property.SortAs = value;
    }
}

// Splits "group.NAME;param;param:value"; false for a line without ':'.
bool ReadProperty(std::string_view line, Property& property) {
    size_t i = 0;
    while (i < line.size() && line[i] != ';' && line[i] != ':') ++i;
    if (i == line.size()) return false;
    std::string_view name = line.substr(0, i);
    size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        property.Group = name.substr(0, dot);
        name = name.substr(dot + 1);
    }
    property.Name = Trim(name);
    while (line[i] == ';') {
        size_t begin = ++i;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != ';' && line[i] != ':'))) {
            if (line[i] == '"') quoted = !quoted;
            ++i;
        }
        if (i == line.size()) return false;
        ReadParameter(line.substr(begin, i - begin), property);
    }
    property.Value = line.substr(i + 1);
    return true;
}

// The value of a text property as UTF-8 with its escapes still in place, without NUL characters
// (which would end the text where the program reads it); the count of NULs dropped.
size_t DecodeText(const Property& property, std::string& scratch, std::string& out) {
    out.clear();
    if (property.QuotedPrintable) {
        scratch.clear();
        DecodeQuotedPrintable(property.Value, scratch);
        AppendUtf8(scratch, property.CodePage, out);
    } else {
        AppendUtf8(property.Value, property.CodePage, out);
    }
    const size_t size = out.size();
    out.erase(std::remove(out.begin(), out.end(), '\0'), out.end());
    return size - out.size();
}

// Whether the value is inline picture bytes: base64, or a data: URI.
bool IsInlinePicture(const Property& property) {
    return (property.Base64 && !property.Uri) || StartsNoCase(Trim(property.Value), "data:");
}

// Whether text is base64 that decodes to some bytes (as DecodeBase64 reads it).
bool IsBase64(std::string_view text) {
    bool any = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '=') break;
        if (Base64Value(c) < 0) return false;
        any = true;
    }
    return any;
}

// The base64 text of a PHOTO given inline or as a data: URI; empty for a link elsewhere or a malformed
// value. The value may span the file's lines as they stand: DecodeBase64 skips line breaks and indents.
std::string_view PictureBase64(const Property& property) {
    std::string_view value = Trim(property.Value);
    if (StartsNoCase(value, "data:")) {
        const size_t comma = value.find(',');
        if (comma == std::string_view::npos) return {};
        const std::string_view header = value.substr(0, comma);
        if (header.size() < 7 || !EqualsNoCase(header.substr(header.size() - 7), ";base64")) return {};
        value = value.substr(comma + 1);
    } else if (property.Uri || !property.Base64) {
        return {};
    }
    return IsBase64(value) ? value : std::string_view();
}

// The number as it is dialled: "tel:" taken off, an extension kept after a pause.
void CleanNumber(std::string_view number, std::string& out) {
    number = Trim(number);
    if (StartsNoCase(number, "tel:")) number.remove_prefix(4);
    out.clear();
    for (size_t i = 0; i < number.size(); ++i) {
        if (StartsNoCase(number.substr(i), ";ext=")) {
            out += 'p';
            i += 4;
        } else if (number[i] == ';') {
            break; // other URI parameters
        } else {
            out += number[i];
        }
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
}

// The label of an Apple-style group: "_$!<Mobile>!$_" and plain labels alike.
std::string_view LabelName(std::string_view label) {
    if (label.size() > 8 && label.substr(0, 4) == "_$!<" && label.substr(label.size() - 4) == ">!$_")
        return label.substr(4, label.size() - 8);
    return label;
}

// Escapes what the "Phone:" list reads specially.
void AppendBracketText(std::string_view text, std::string& out) {
    for (char c : text) {
        if (c == '[' || c == ']' || c == ':' || c == '\\') out += '\\';
        out += (c == '\r' || c == '\n') ? ' ' : c;
    }
}

constexpr std::string_view BlockStart = "== start pim information ==";
constexpr std::string_view BlockEnd = "== end pim information ==";

// Puts the overflow items into the notes' information block: after its own "Phone:" keyword when it
// has one, else on a line of their own at the block's start; a new block at the end when there is none.
void AddOverflowNumbers(std::string& notes, const std::string& items) {
    size_t start = notes.find(BlockStart);
    if (start == std::string::npos) {
        if (!notes.empty()) notes += "\r\n";
        notes.append(BlockStart).append("\r\nPhone: ").append(items).append("\r\n").append(BlockEnd);
        return;
    }
    size_t blockBegin = start + BlockStart.size();
    size_t end = notes.find(BlockEnd, blockBegin);
    size_t keyword = notes.find("Phone:", blockBegin);
    if (keyword != std::string::npos && (end == std::string::npos || keyword < end)) {
        notes.insert(keyword + 6, " " + items);
    } else {
        notes.insert(blockBegin, "\r\nPhone: " + items);
    }
}

// Cuts notes longer than NotesLimit: they keep their information block (from its start marker on)
// when they have one, else their start. True when anything was cut.
bool LimitNotes(std::string& notes) {
    if (notes.size() <= NotesLimit) return false;
    const size_t block = notes.find(BlockStart);
    const std::string_view kept =
        CutAtCharacter(std::string_view(notes).substr(block == std::string::npos ? 0 : block), NotesLimit);
    notes.assign(std::string(kept));
    return true;
}

void Store(CardBuilder& card, CardSet& set, ParseResult& result) {
    std::vector<std::string_view>& parts = card.Parts;
    std::string &first = card.First, &last = card.Last, &middle = card.Middle, &company = card.Company,
                &sortName = card.SortName, &fn = card.FullName, &text = card.Text;
    for (std::string* cleared : {&first, &last, &middle, &company, &sortName, &fn}) cleared->clear();
    if (card.HasN) {
        SplitStructured(card.N, ';', parts);
        NamePart(parts[0], text, last);
        if (parts.size() > 1) NamePart(parts[1], text, first);
        if (parts.size() > 2) NamePart(parts[2], text, middle);
    }
    Unescape(card.Fn, fn, " ");
    std::string_view fullName = Trim(fn);
    if (!card.Org.empty()) {
        SplitStructured(card.Org, ';', parts);
        text.clear();
        Unescape(parts[0], text, " ");
        company = Trim(text);
    }
    if (first.empty() && last.empty() && middle.empty() && !fullName.empty() && fullName != company) {
        size_t space = fullName.find_last_of(' ');
        if (space == std::string_view::npos) {
            first = fullName;
        } else {
            first = Trim(fullName.substr(0, space));
            last = fullName.substr(space + 1);
        }
    }
    if (!card.SortString.empty()) {
        Unescape(card.SortString, sortName, " ");
    } else if (!card.SortAs.empty()) {
        SplitStructured(card.SortAs, ',', parts);
        for (std::string_view part : parts) {
            std::string_view trimmed = Trim(part);
            if (trimmed.empty()) continue;
            if (!sortName.empty()) sortName += ", ";
            sortName += trimmed;
        }
    } else if (!last.empty() && !first.empty()) {
        sortName.append(last).append(", ").append(first);
    } else {
        sortName = !last.empty() ? last : !first.empty() ? first : company;
    }

    // Numbers: their types come from their labels, else from TYPE; numbers with types take their kinds
    // first, then the others follow as extra numbers, and so does any number that finds no free kind.
    std::string_view phones[PhoneKinds];
    std::string& overflow = card.Overflow;
    overflow.clear();
    for (const bool typed : {true, false}) {
        for (size_t t = 0; t < card.TelCount; ++t) {
            const Tel& tel = card.Tels[t];
            bool repeated = false;
            for (size_t before = 0; before < t && !repeated; ++before)
                repeated = card.Tels[before].Number == tel.Number;
            if (tel.Number.empty() || repeated) continue;
            std::string_view customLabel;
            unsigned types = tel.Types;
            if (!tel.Group.empty()) {
                for (const Label& label : card.Labels) {
                    if (!EqualsNoCase(label.Group, tel.Group)) continue;
                    const unsigned labelled = TelTypeFromName(LabelName(label.Text));
                    if (labelled) {
                        types = labelled;
                    } else if (!LabelName(label.Text).empty()) {
                        customLabel = LabelName(label.Text);
                    }
                }
            }
            if ((types != 0) != typed) continue;
            const KindChoice choice = PhoneKindFor(types);
            bool stored = false;
            for (int k = 0; k < choice.Count && !stored; ++k) {
                if (!phones[choice.Kinds[k]].empty()) continue;
                phones[choice.Kinds[k]] = tel.Number;
                stored = true;
            }
            if (stored) continue;
            if (!overflow.empty()) overflow += ' ';
            overflow += '[';
            AppendBracketText(customLabel.empty() ? std::string_view(choice.OverflowLabel) : customLabel,
                              overflow);
            overflow += ": ";
            AppendBracketText(tel.Number, overflow);
            overflow += ']';
        }
    }
    if (LimitNotes(card.HasRawNotes ? card.RawNotes : card.Notes))
        card.Add(card.Line, "notes longer than " + std::to_string(NotesLimit / 1024) + " KB: cut");
    if (!overflow.empty() && !card.HasRawNotes) AddOverflowNumbers(card.Notes, overflow);

    Card stored;
    stored.Start = static_cast<uint32_t>(set.Bytes.size());
    stored.RawNotes = card.HasRawNotes;
    auto put = [&](Field field, std::string_view value) {
        if (value.size() > ShortFieldLimit) {
            card.Add(card.Line, "a name or number longer than 64 KB: cut");
            value = CutAtCharacter(value, ShortFieldLimit);
        }
        set.Bytes.append(value);
        stored.Length[field] = static_cast<uint16_t>(value.size());
    };
    put(First, first);
    put(Last, last);
    put(Middle, middle);
    put(Company, company);
    put(SortName, sortName);
    for (int kind = 0; kind < PhoneKinds; ++kind) put(static_cast<Field>(PhoneField(kind)), phones[kind]);
    const std::string_view notes = card.HasRawNotes ? card.RawNotes : card.Notes;
    set.Bytes.append(notes);
    stored.NotesLength = static_cast<uint32_t>(notes.size());
    // The picture is decoded straight into the set: it is held once.
    const size_t picture = set.Bytes.size();
    DecodeBase64(card.Photo, set.Bytes);
    stored.PhotoLength = static_cast<uint32_t>(set.Bytes.size() - picture);
    std::string& key = card.Text;
    if (!card.Uid.empty()) {
        key = "U:";
        AppendKeyText(Trim(card.Uid), key);
        stored.UidKey = KeyHash(key);
    }
    key = "N:";
    AppendKeyText(card.Fn, key);
    key += '|';
    AppendKeyText(card.N, key);
    key += '|';
    AppendKeyText(card.Org, key);
    stored.NameKey = KeyHash(key);
    set.Cards.push_back(stored);

    // The card's problems go out under its name.
    const std::string_view name = !Trim(fn).empty() ? Trim(fn) : std::string_view(sortName);
    for (auto& [at, what] : card.Problems) {
        if (result.Problems.size() == ParseResult::MaxProblems) {
            ++result.MoreProblems;
            continue;
        }
        result.Problems.push_back({at, std::string(CutAtCharacter(name, 80)), std::move(what)});
    }
}

// The text as UTF-8 without a byte order mark; UTF-16 files (with a mark, or plain ASCII-looking
// UTF-16) are converted.
std::string_view Normalise(std::string_view text, std::string& converted) {
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") return text.substr(3);
    bool littleEndian =
        text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] != 0 && text[1] == 0));
    bool bigEndian =
        text.size() >= 2 && ((text[0] == '\xFE' && text[1] == '\xFF') || (text[0] == 0 && text[1] != 0));
    if (!littleEndian && !bigEndian) return text;
    std::wstring wide(text.size() / 2, L'\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(text[2 * i]),
                      b = static_cast<unsigned char>(text[2 * i + 1]);
        wide[i] = static_cast<wchar_t>(littleEndian ? a | (b << 8) : b | (a << 8));
    }
    size_t skip = !wide.empty() && wide[0] == 0xFEFF ? 1 : 0;
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data() + skip, static_cast<int>(wide.size() - skip),
                                   nullptr, 0, nullptr, nullptr);
    converted.assign(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data() + skip, static_cast<int>(wide.size() - skip),
                            converted.data(), size, nullptr, nullptr);
    return converted;
}

// Physical lines of the text, without their line breaks: a line ends in LF, in CR LF, or in CR alone
// (classic Mac files); "CR CR LF", which some writers produce, is one break.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    std::string_view Peek() const { return Line(pos_).Text; }
    std::string_view Next() {
        const Found line = Line(pos_);
        pos_ = line.Next;
        end_ = line.End;
        ++number_;
        return line.Text;
    }
    // Whether the next line continues the last one (a folded line starts with a blank or a tab).
    bool FoldedNext() const {
        const std::string_view next = Peek();
        return !AtEnd() && !next.empty() && (next[0] == ' ' || next[0] == '\t');
    }
    // The number of the line Next gave last, counting from 1.
    uint32_t Number() const { return number_; }
    // Where the next line starts, and where the text of the line Next gave last ends.
    size_t Position() const { return pos_; }
    size_t End() const { return end_; }
    std::string_view Text() const { return text_; }

private:
    struct Found {
        std::string_view Text;
        size_t End, Next;
    };
    Found Line(size_t from) const {
        if (from >= text_.size()) return {{}, text_.size(), text_.size()};
        const size_t end = std::min(Next(from, '\n', lf_), Next(from, '\r', cr_));
        size_t next = end;
        while (next < text_.size() && text_[next] == '\r') ++next;
        if (next < text_.size() && text_[next] == '\n') ++next;
        return {text_.substr(from, end - from), end, next};
    }
    // The first c at or after from; found holds the last answer, so that the text is searched once
    // however often lines are looked at.
    size_t Next(size_t from, char c, size_t& found) const {
        if (found >= from && found != SIZE_MAX) return found;
        const void* at = std::memchr(text_.data() + from, c, text_.size() - from);
        found = at ? static_cast<size_t>(static_cast<const char*>(at) - text_.data()) : text_.size();
        return found;
    }

    std::string_view text_;
    size_t pos_ = 0;
    size_t end_ = 0;
    uint32_t number_ = 0;
    mutable size_t lf_ = SIZE_MAX, cr_ = SIZE_MAX; // the next LF and CR found so far
};

// Appends folded text to out without its folds: a line break and the one blank or tab after it.
void Unfold(std::string_view text, std::string& out) {
    out.reserve(out.size() + text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            out += text[i];
            continue;
        }
        while (i + 1 < text.size() && text[i + 1] == '\r') ++i;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        if (i + 1 < text.size() && (text[i + 1] == ' ' || text[i + 1] == '\t')) ++i;
    }
}

// What is kept of a value longer than LineLimit: a window of that size from just before the notes'
// information block when the value has one ("=3D" and escaped line breaks included), else its start.
std::string_view KeptPart(std::string_view value) {
    const size_t marker = value.find("start pim information");
    const size_t from = marker == std::string_view::npos ? 0 : marker < 16 ? 0 : marker - 16;
    return value.substr(from, LineLimit);
}

// Appends piece to text as long as text stays within limit; false when something was left out.
bool AppendWithin(std::string& text, std::string_view piece, size_t limit) {
    if (text.size() >= limit) return piece.empty();
    const size_t room = limit - text.size();
    text.append(piece.substr(0, room));
    return piece.size() <= room;
}

} // namespace

std::string_view CardSet::Get(const Card& card, Field field) const {
    size_t offset = card.Start;
    for (int f = 0; f < field && f < ShortFieldCount; ++f) offset += card.Length[f];
    if (field == Photo) offset += card.NotesLength;
    const size_t length = field == Notes   ? card.NotesLength
                          : field == Photo ? card.PhotoLength
                                           : card.Length[field];
    return std::string_view(Bytes).substr(offset, length);
}

unsigned TelTypeFromName(std::string_view name) {
    static constexpr struct {
        const char* name;
        unsigned types;
    } names[] = {{"CELL", TelCell},
                 {"MOBILE", TelCell},
                 {"IPHONE", TelCell},
                 {"HOME", TelHome},
                 {"WORK", TelWork},
                 {"FAX", TelFax},
                 {"PAGER", TelPager},
                 {"CAR", TelCar},
                 {"RADIO", TelRadio},
                 {"X-RADIO", TelRadio},
                 {"ASSISTANT", TelAssistant},
                 {"X-ASSISTANT", TelAssistant},
                 {"ASSISTANTPHONE", TelAssistant},
                 {"COMPANY", TelCompany},
                 {"X-COMPANY", TelCompany},
                 {"MAIN", TelCompany},
                 {"COMPANYMAIN", TelCompany},
                 {"MMS", TelMms},
                 {"X-MMS", TelMms},
                 {"HOMEFAX", TelHome | TelFax},
                 {"WORKFAX", TelWork | TelFax},
                 {"OTHERFAX", TelFax}};
    name = LabelName(name);
    for (const auto& entry : names)
        if (EqualsNoCase(name, entry.name)) return entry.types;
    return 0;
}

KindChoice PhoneKindFor(unsigned types) {
    if (types & TelFax) {
        if ((types & TelHome) && !(types & TelWork)) return {{HomeFax}, 1, "Дом. факс"};
        return {{WorkFax}, 1, "Раб. факс"};
    }
    if (types & TelPager) return {{Pager}, 1, "Пейджер"};
    if (types & TelCar) return {{Car}, 1, "Авто"};
    if (types & TelCell) return {{Mobile}, 1, "Мобильный"};
    if (types & TelAssistant) return {{Assistant}, 1, "Ассистент"};
    if (types & TelRadio) return {{Radio}, 1, "Радио"};
    if (types & TelCompany) return {{CompanyMain}, 1, "Организация"};
    if (types & TelMms) return {{Mms}, 1, "MMS"};
    if (types & TelHome) return {{Home, Home2}, 2, "Домашний"};
    if (types & TelWork) return {{Work, Work2}, 2, "Рабочий"};
    return {{}, 0, "Телефон"};
}

ParseResult ParseVcards(std::string_view input, CardSet& set) {
    std::string converted;
    Lines lines(Normalise(input, converted));
    ParseResult result;
    // About the most the cards keep of their text (base64 pictures shrink to three quarters, property
    // names are dropped), so that the storage seldom grows; the spare room is given back at the end.
    set.Bytes.reserve(set.Bytes.size() + input.size() / 4 * 3);
    set.Cards.reserve(set.Cards.size() + input.size() / 128);
    CardBuilder card;
    bool inCard = false;
    std::string joined, scratch, value, unescaped, text;

    auto finish = [&] {
        if (!inCard) return;
        Store(card, set, result);
        ++result.Cards;
        inCard = false;
    };
    // A text value, its NUL characters dropped and its unknown charset told.
    auto decode = [&](const Property& property, std::string& out, uint32_t line) {
        if (!property.UnknownCharset.empty())
            card.Add(line, "unknown CHARSET " + std::string(CutAtCharacter(property.UnknownCharset, 40)) +
                               ": read as UTF-8 or windows-1251");
        if (DecodeText(property, scratch, out))
            card.Add(line, std::string(CutAtCharacter(property.Name, 40)) + " held NUL characters: dropped");
    };

    while (!lines.AtEnd()) {
        const size_t start = lines.Position();
        std::string_view line = lines.Next();
        const uint32_t number = lines.Number();
        Property property;
        bool parsed = ReadProperty(line, property);
        const std::string_view first = line;
        const bool picture = parsed && IsInlinePicture(property);
        // The property as the file holds it, over its folded lines; a picture also over the unindented
        // lines of base64 that some 2.1 writers continue with. A picture is decoded from the lines as
        // they stand; other values are unfolded, long ones cut to LineLimit first.
        while (lines.FoldedNext()) lines.Next();
        if (picture)
            while (!lines.AtEnd() && IsBase64Line(lines.Peek())) lines.Next();
        const std::string_view raw = lines.Text().substr(start, lines.End() - start);
        if (picture) {
            line = raw;
        } else if (raw.size() > LineLimit) {
            const size_t head = parsed ? static_cast<size_t>(property.Value.data() - first.data()) : 0;
            joined.assign(raw.substr(0, head));
            Unfold(KeptPart(raw.substr(head)), joined);
            line = joined;
            if (inCard) card.Add(number, "a line longer than 256 KB: cut");
        } else if (raw.size() != line.size()) {
            joined.clear();
            Unfold(raw, joined);
            line = joined;
        }
        if (line.data() != first.data() || line.size() != first.size()) {
            property = Property();
            parsed = ReadProperty(line, property);
        }
        if (!parsed) {
            if (inCard && !Trim(line).empty()) card.Add(number, "a line without ':' was left out");
            continue;
        }
        if (property.QuotedPrintable && !property.Value.empty() && property.Value.back() == '=') {
            // Soft line breaks: a value ending in '=' goes on in the next line, as it stands.
            std::string continued(line.substr(0, line.size() - 1));
            bool whole = true;
            while (!lines.AtEnd()) {
                const std::string_view next = lines.Next();
                const bool soft = !next.empty() && next.back() == '=';
                whole &= AppendWithin(continued, soft ? next.substr(0, next.size() - 1) : next, LineLimit);
                if (!soft) break;
            }
            if (!whole && inCard) card.Add(number, "a line longer than 256 KB: cut");
            joined = std::move(continued);
            property = Property();
            ReadProperty(joined, property);
        }

        const std::string_view name = property.Name;
        if (EqualsNoCase(name, "BEGIN")) {
            if (EqualsNoCase(Trim(property.Value), "VCARD")) {
                if (inCard) card.Add(card.Line, "no END:VCARD: the card ends where the next one begins");
                finish();
                card.Clear();
                card.Line = number;
                inCard = true;
            }
            continue;
        }
        if (!inCard) continue;
        if (EqualsNoCase(name, "END")) {
            if (EqualsNoCase(Trim(property.Value), "VCARD")) finish();
        } else if (EqualsNoCase(name, "N")) {
            decode(property, card.N, number);
            card.HasN = true;
            card.SortAs = property.SortAs;
        } else if (EqualsNoCase(name, "FN")) {
            decode(property, card.Fn, number);
        } else if (EqualsNoCase(name, "ORG")) {
            if (card.Org.empty()) decode(property, card.Org, number);
        } else if (EqualsNoCase(name, "UID")) {
            decode(property, card.Uid, number);
        } else if (EqualsNoCase(name, "SORT-STRING")) {
            decode(property, card.SortString, number);
        } else if (EqualsNoCase(name, "TEL") || EqualsNoCase(name, "X-MS-TEL")) {
            if (card.TelCount == MaxNumbers) {
                card.Add(number, "more than " + std::to_string(MaxNumbers) + " numbers: the rest left out");
                continue;
            }
            decode(property, value, number);
            unescaped.clear();
            Unescape(value, unescaped, " ");
            if (card.TelCount == card.Tels.size()) card.Tels.emplace_back();
            Tel& tel = card.Tels[card.TelCount++];
            tel.Group.assign(property.Group);
            tel.Types = property.Types;
            CleanNumber(unescaped, tel.Number);
        } else if (EqualsNoCase(name, "X-ABLABEL")) {
            if (card.Labels.size() == MaxNumbers) continue;
            decode(property, value, number);
            unescaped.clear();
            Unescape(value, unescaped, " ");
            card.Labels.push_back({std::string(property.Group), std::string(Trim(unescaped))});
        } else if (EqualsNoCase(name, "NOTE")) {
            decode(property, value, number);
            text.clear();
            Unescape(value, text, "\r\n");
            if (text.empty()) continue;
            if (!card.Notes.empty()) AppendWithin(card.Notes, "\r\n", LineLimit);
            AppendWithin(card.Notes, text, LineLimit);
        } else if (EqualsNoCase(name, "X-DIALVANE-NOTES")) {
            card.RawNotes.clear();
            card.HasRawNotes = DecodeBase64(property.Value, card.RawNotes);
            if (!card.HasRawNotes) card.Add(number, "X-DIALVANE-NOTES is not base64: left out");
        } else if (EqualsNoCase(name, "PHOTO")) {
            if (card.HasPhoto) continue;
            card.Photo = PictureBase64(property);
            card.HasPhoto = !card.Photo.empty();
            if (!card.HasPhoto && IsInlinePicture(property))
                card.Add(number, "PHOTO is not base64: left out");
        }
    }
    if (inCard) {
        result.Complete = false;
        card.Add(card.Line, "no END:VCARD: the file ends inside the card");
        finish();
    }
    // Spare room is given back, unless there is too little of it to be worth a copy of everything.
    if (set.Bytes.capacity() - set.Bytes.size() > set.Bytes.size() / 8) set.Bytes.shrink_to_fit();
    set.Cards.shrink_to_fit();
    return result;
}

} // namespace vcard
