#include "companions/contactstore/VcardReader.h"

#include <windows.h>

#include <algorithm>
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
    std::string N, Fn, Org, Uid, SortString, SortAs, Notes, RawNotes, Photo;
    bool HasN = false, HasRawNotes = false, HasPhoto = false;
    // What Store works on, kept between cards for the buffers.
    std::string First, Last, Middle, Company, SortName, FullName, Overflow, Text;
    std::vector<std::string_view> Parts;
    std::vector<Tel> Tels; // the first TelCount are this card's; the rest keep their buffers for reuse
    size_t TelCount = 0;
    std::vector<Label> Labels;

    void Clear() {
        N.clear(), Fn.clear(), Org.clear(), Uid.clear(), SortString.clear(), SortAs.clear();
        Notes.clear(), RawNotes.clear(), Photo.clear();
        HasN = HasRawNotes = HasPhoto = false;
        TelCount = 0;
        Labels.clear();
    }
};

// One property line taken apart.
struct Property {
    std::string_view Group, Name, Value;
    unsigned Types = 0;
    bool QuotedPrintable = false, Base64 = false, Uri = false;
    UINT CodePage = 0;
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

// The value of a text property as UTF-8 with its escapes still in place.
void DecodeText(const Property& property, std::string& scratch, std::string& out) {
    out.clear();
    if (property.QuotedPrintable) {
        scratch.clear();
        DecodeQuotedPrintable(property.Value, scratch);
        AppendUtf8(scratch, property.CodePage, out);
    } else {
        AppendUtf8(property.Value, property.CodePage, out);
    }
}

// PHOTO as inline base64 or a data: URI; a link elsewhere gives nothing.
bool DecodePhoto(const Property& property, std::string& out) {
    out.clear();
    std::string_view value = Trim(property.Value);
    if (StartsNoCase(value, "data:")) {
        size_t comma = value.find(',');
        if (comma == std::string_view::npos) return false;
        std::string_view header = value.substr(0, comma);
        if (header.size() < 7 || !EqualsNoCase(header.substr(header.size() - 7), ";base64")) return false;
        return DecodeBase64(value.substr(comma + 1), out);
    }
    if (property.Uri || !property.Base64) return false;
    return DecodeBase64(value, out);
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

void Store(CardBuilder& card, CardSet& set) {
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

    // Numbers: kinds first by their labels, then by their types; what finds no kind goes to the notes.
    std::string_view phones[PhoneKinds];
    std::string& overflow = card.Overflow;
    overflow.clear();
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
                unsigned labelled = TelTypeFromName(LabelName(label.Text));
                if (labelled) {
                    types = labelled;
                } else if (!LabelName(label.Text).empty()) {
                    customLabel = LabelName(label.Text);
                }
            }
        }
        KindChoice choice = PhoneKindFor(types);
        bool stored = false;
        if (customLabel.empty() || types) {
            for (int k = 0; k < choice.Count; ++k) {
                int kind = choice.Kinds[k];
                if (phones[kind].empty()) {
                    phones[kind] = tel.Number;
                    stored = true;
                    break;
                }
            }
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
    if (!overflow.empty() && !card.HasRawNotes) AddOverflowNumbers(card.Notes, overflow);

    Card stored;
    stored.Start = static_cast<uint32_t>(set.Bytes.size());
    stored.RawNotes = card.HasRawNotes;
    auto put = [&](Field field, std::string_view value) {
        value = CutAtCharacter(value, ShortFieldLimit);
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
    set.Bytes.append(card.Photo);
    stored.PhotoLength = static_cast<uint32_t>(card.Photo.size());
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

// Physical lines of the text, without their line breaks.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    std::string_view Peek() const { return Line(pos_).first; }
    std::string_view Next() {
        auto [line, next] = Line(pos_);
        pos_ = next;
        return line;
    }

private:
    std::pair<std::string_view, size_t> Line(size_t from) const {
        if (from >= text_.size()) return {{}, text_.size()};
        const void* found = std::memchr(text_.data() + from, '\n', text_.size() - from);
        size_t end =
            found ? static_cast<size_t>(static_cast<const char*>(found) - text_.data()) : text_.size();
        size_t next = found ? end + 1 : end;
        while (end > from && text_[end - 1] == '\r') --end; // some writers end lines with "\r\r\n"
        return {text_.substr(from, end - from), next};
    }

    std::string_view text_;
    size_t pos_ = 0;
};

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
    return {{Mobile, Home, Home2, Work, Work2}, 5, "Телефон"};
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
    std::string joined, scratch, value, unescaped;

    auto finish = [&] {
        if (!inCard) return;
        Store(card, set);
        ++result.Cards;
        inCard = false;
    };

    while (!lines.AtEnd()) {
        std::string_view line = lines.Next();
        // Folded lines continue with a blank or a tab.
        if (!lines.AtEnd() && !lines.Peek().empty() && (lines.Peek()[0] == ' ' || lines.Peek()[0] == '\t')) {
            joined.assign(line);
            while (!lines.AtEnd() && !lines.Peek().empty() &&
                   (lines.Peek()[0] == ' ' || lines.Peek()[0] == '\t'))
                joined.append(lines.Next().substr(1));
            line = joined;
        }
        Property property;
        if (!ReadProperty(line, property)) continue;
        if (property.QuotedPrintable) {
            // Soft line breaks: a value ending in '=' goes on in the next line, as it stands.
            if (!property.Value.empty() && property.Value.back() == '=') {
                std::string continued(line.substr(0, line.size() - 1));
                while (!lines.AtEnd()) {
                    std::string_view next = lines.Next();
                    if (!next.empty() && next.back() == '=') {
                        continued.append(next.substr(0, next.size() - 1));
                    } else {
                        continued.append(next);
                        break;
                    }
                }
                joined = std::move(continued);
                property = Property();
                ReadProperty(joined, property);
            }
        } else if (property.Base64) {
            // Some 2.1 writers continue base64 on lines that are not indented.
            if (!lines.AtEnd() && IsBase64Line(lines.Peek())) {
                if (line.data() != joined.data()) joined.assign(line);
                while (!lines.AtEnd() && IsBase64Line(lines.Peek())) joined.append(lines.Next());
                property = Property();
                ReadProperty(joined, property);
            }
        }

        const std::string_view name = property.Name;
        if (EqualsNoCase(name, "BEGIN")) {
            if (EqualsNoCase(Trim(property.Value), "VCARD")) {
                finish();
                card.Clear();
                inCard = true;
            }
            continue;
        }
        if (!inCard) continue;
        if (EqualsNoCase(name, "END")) {
            if (EqualsNoCase(Trim(property.Value), "VCARD")) finish();
        } else if (EqualsNoCase(name, "N")) {
            DecodeText(property, scratch, card.N);
            card.HasN = true;
            card.SortAs = property.SortAs;
        } else if (EqualsNoCase(name, "FN")) {
            DecodeText(property, scratch, card.Fn);
        } else if (EqualsNoCase(name, "ORG")) {
            if (card.Org.empty()) DecodeText(property, scratch, card.Org);
        } else if (EqualsNoCase(name, "UID")) {
            DecodeText(property, scratch, card.Uid);
        } else if (EqualsNoCase(name, "SORT-STRING")) {
            DecodeText(property, scratch, card.SortString);
        } else if (EqualsNoCase(name, "TEL") || EqualsNoCase(name, "X-MS-TEL")) {
            DecodeText(property, scratch, value);
            unescaped.clear();
            Unescape(value, unescaped, " ");
            if (card.TelCount == card.Tels.size()) card.Tels.emplace_back();
            Tel& tel = card.Tels[card.TelCount++];
            tel.Group.assign(property.Group);
            tel.Types = property.Types;
            CleanNumber(unescaped, tel.Number);
        } else if (EqualsNoCase(name, "X-ABLABEL")) {
            DecodeText(property, scratch, value);
            std::string unescaped;
            Unescape(value, unescaped, " ");
            card.Labels.push_back({std::string(property.Group), std::string(Trim(unescaped))});
        } else if (EqualsNoCase(name, "NOTE")) {
            DecodeText(property, scratch, value);
            std::string text;
            Unescape(value, text, "\r\n");
            if (text.empty()) continue;
            if (!card.Notes.empty()) card.Notes += "\r\n";
            card.Notes += text;
        } else if (EqualsNoCase(name, "X-DIALVANE-NOTES")) {
            card.RawNotes.clear();
            card.HasRawNotes = DecodeBase64(property.Value, card.RawNotes);
        } else if (EqualsNoCase(name, "PHOTO")) {
            if (!card.HasPhoto) card.HasPhoto = DecodePhoto(property, card.Photo);
        }
    }
    if (inCard) {
        result.Complete = false;
        finish();
    }
    set.Bytes.shrink_to_fit();
    set.Cards.shrink_to_fit();
    return result;
}

} // namespace vcard
