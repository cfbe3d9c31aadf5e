#include "platform/MessageFile.h"

#include "platform/MessageStoreMapi.h"
#include "platform/Utf8Text.h"
#include "foundation/ScopedHandles.h"

#include <cstdio>
#include <cwchar>
#include <utility>

namespace platform {

namespace {

constexpr std::wstring_view Header = L"Dialvane-Message: 1";
constexpr std::wstring_view StateKey = L"State: ";
constexpr std::wstring_view NoteKey = L"Note: ";
constexpr std::wstring_view RecipientKey = L"Recipient:";
constexpr std::wstring_view NamedKey = L"Named ";
constexpr uint64_t TicksPerSecond = 10000000;
// Larger files are not messages; the limit keeps a stray huge file from being read whole.
constexpr LONGLONG LargestFile = 16 << 20;

struct KnownTag {
    ULONG Tag;
    const wchar_t* Name;
};

// Names written beside the tags for people; reading ignores them.
constexpr KnownTag KnownTags[] = {
    {PR_SUBJECT, L"Subject"},
    {PR_CLIENT_SUBMIT_TIME, L"ClientSubmitTime"},
    {PR_RECIPIENT_TYPE, L"RecipientType"},
    {PR_SENDER_EMAIL_ADDRESS, L"SenderEmailAddress"},
    {PR_MESSAGE_DELIVERY_TIME, L"MessageDeliveryTime"},
    {PR_MESSAGE_FLAGS, L"MessageFlags"},
    {PR_MSG_STATUS, L"MsgStatus"},
    {PR_ENTRYID, L"EntryId"},
    {PR_DISPLAY_NAME, L"DisplayName"},
    {PR_ADDRTYPE, L"AddrType"},
    {PR_EMAIL_ADDRESS, L"EmailAddress"},
};

constexpr std::pair<TransportState, std::wstring_view> StateNames[] = {
    {TransportState::Queued, L"queued"},
    {TransportState::Sending, L"sending"},
    {TransportState::Sent, L"sent"},
    {TransportState::Failed, L"failed"},
};

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

// Exactly digits hexadecimal digits at the front of text, consumed.
bool TakeHex(std::wstring_view& text, int digits, uint64_t& value) {
    if (static_cast<int>(text.size()) < digits) return false;
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0) return false;
        value = value << 4 | digit;
    }
    text.remove_prefix(digits);
    return true;
}

bool TakePrefix(std::wstring_view& text, std::wstring_view prefix) {
    if (!text.starts_with(prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

// Escapes text for a line; with quoted, a double quote too (for a quoted name).
void AppendEscaped(std::wstring& out, std::wstring_view text, bool quoted = false) {
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\\' || (quoted && c == L'"')) {
            out += L'\\';
            out += c;
        } else if (c == L'\n') {
            out += L"\\n";
        } else if (c == L'\r') {
            out += L"\\r";
        } else if (c == L'\t') {
            out += L"\\t";
        } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out += c;
            out += text[++i];
        } else if (c < 0x20 || c == 0x7F || IsHighSurrogate(c) || IsLowSurrogate(c)) {
            wchar_t escape[8];
            std::swprintf(escape, 8, L"\\u%04X", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += c;
        }
    }
}

bool Unescape(std::wstring_view text, std::wstring& out) {
    out.clear();
    out.reserve(text.size());
    while (!text.empty()) {
        const wchar_t c = text.front();
        text.remove_prefix(1);
        if (c != L'\\') {
            out += c;
            continue;
        }
        if (text.empty()) return false;
        const wchar_t kind = text.front();
        text.remove_prefix(1);
        uint64_t code = 0;
        switch (kind) {
        case L'\\':
            out += L'\\';
            break;
        case L'"':
            out += L'"';
            break;
        case L'n':
            out += L'\n';
            break;
        case L'r':
            out += L'\r';
            break;
        case L't':
            out += L'\t';
            break;
        case L'u':
            if (!TakeHex(text, 4, code)) return false;
            out += static_cast<wchar_t>(code);
            break;
        default:
            return false;
        }
    }
    return true;
}

std::wstring FormatGuid(const GUID& guid) {
    wchar_t text[40];
    std::swprintf(text, 40, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6],
                  guid.Data4[7]);
    return text;
}

bool TakeGuid(std::wstring_view& text, GUID& guid) {
    uint64_t part = 0;
    if (!TakePrefix(text, L"{") || !TakeHex(text, 8, part)) return false;
    guid.Data1 = static_cast<unsigned long>(part);
    if (!TakePrefix(text, L"-") || !TakeHex(text, 4, part)) return false;
    guid.Data2 = static_cast<unsigned short>(part);
    if (!TakePrefix(text, L"-") || !TakeHex(text, 4, part)) return false;
    guid.Data3 = static_cast<unsigned short>(part);
    if (!TakePrefix(text, L"-")) return false;
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !TakePrefix(text, L"-")) return false;
        if (!TakeHex(text, 2, part)) return false;
        guid.Data4[i] = static_cast<unsigned char>(part);
    }
    return TakePrefix(text, L"}");
}

std::wstring FormatValue(const StoredValue& value) {
    wchar_t number[16];
    std::wstring out;
    switch (value.Type) {
    case PT_LONG:
        std::swprintf(number, 16, L"0x%08lX", static_cast<unsigned long>(value.Number));
        return number;
    case PT_BOOLEAN:
        return value.Number ? L"true" : L"false";
    case PT_SYSTIME:
        return FormatFileTime(value.Number);
    case PT_BINARY:
        for (BYTE b : value.Bytes) {
            std::swprintf(number, 16, L"%02X", b);
            out += number;
        }
        return out;
    default:
        AppendEscaped(out, value.Text);
        return out;
    }
}

// Reads exactly the form FormatFileTime writes.
bool ParseTime(std::wstring_view text, uint64_t& time) {
    unsigned year, month, day, hour, minute, second, fraction;
    const std::wstring copy(text);
    if (std::swscanf(copy.c_str(), L"%4u-%2u-%2uT%2u:%2u:%2u.%7uZ", &year, &month, &day, &hour, &minute,
                     &second, &fraction) != 7 ||
        fraction >= TicksPerSecond)
        return false;
    SYSTEMTIME parts = {static_cast<WORD>(year),
                        static_cast<WORD>(month),
                        0,
                        static_cast<WORD>(day),
                        static_cast<WORD>(hour),
                        static_cast<WORD>(minute),
                        static_cast<WORD>(second),
                        0};
    FILETIME file;
    if (!SystemTimeToFileTime(&parts, &file)) return false;
    time = (static_cast<uint64_t>(file.dwHighDateTime) << 32 | file.dwLowDateTime) + fraction;
    return FormatFileTime(time) == text;
}

bool ParseValue(ULONG type, std::wstring_view text, StoredValue& value) {
    value = StoredValue{};
    value.Type = type;
    switch (type) {
    case PT_LONG: {
        const std::wstring copy(text);
        wchar_t* end = nullptr;
        if (copy.empty()) return false;
        const bool hex = copy.starts_with(L"0x") || copy.starts_with(L"0X");
        const long long number = hex ? static_cast<long long>(std::wcstoull(copy.c_str() + 2, &end, 16))
                                     : std::wcstoll(copy.c_str(), &end, 10);
        if (*end || (hex && copy.size() == 2) || number < -0x80000000LL || number > 0xFFFFFFFFLL)
            return false;
        value.Number = static_cast<uint32_t>(number);
        return true;
    }
    case PT_BOOLEAN:
        if (text != L"true" && text != L"false") return false;
        value.Number = text == L"true";
        return true;
    case PT_SYSTIME:
        return ParseTime(text, value.Number);
    case PT_BINARY:
        if (text.size() % 2) return false;
        while (!text.empty()) {
            uint64_t b = 0;
            if (!TakeHex(text, 2, b)) return false;
            value.Bytes.push_back(static_cast<BYTE>(b));
        }
        return true;
    case PT_UNICODE:
        return Unescape(text, value.Text);
    default:
        return false;
    }
}

// The value part of "<key>: value" (also "<key>:" for an empty value); false when the colon is missing.
bool TakeValue(std::wstring_view& text) {
    if (!TakePrefix(text, L":")) return false;
    TakePrefix(text, L" ");
    return true;
}

bool ParsePropertyLine(std::wstring_view line, StoredProperty& property, std::wstring& problem) {
    uint64_t tag = 0;
    if (!TakePrefix(line, L"0x") || !TakeHex(line, 8, tag)) {
        problem = L"a property line needs an eight-digit tag";
        return false;
    }
    const size_t colon = line.find(L':');
    if (colon == std::wstring_view::npos) {
        problem = L"a property line needs a colon";
        return false;
    }
    const std::wstring_view name = line.substr(0, colon);
    if (!name.empty() && name.front() != L' ') {
        problem = L"a property name must follow its tag after a space";
        return false;
    }
    line.remove_prefix(colon);
    TakeValue(line);
    property.Tag = static_cast<ULONG>(tag);
    if (!ParseValue(PROP_TYPE(property.Tag), line, property.Value)) {
        wchar_t text[64];
        std::swprintf(text, 64, L"unknown type or bad value for tag 0x%08lX",
                      static_cast<unsigned long>(tag));
        problem = text;
        return false;
    }
    return true;
}

bool ParseNamedLine(std::wstring_view line, NamedProperty& property, std::wstring& problem) {
    problem = L"a named property needs a set, a name, a type and a value";
    if (!TakeGuid(line, property.Set) || !TakePrefix(line, L" ")) return false;
    if (TakePrefix(line, L"#")) {
        property.IsString = false;
        const size_t end = line.find(L' ');
        if (end == std::wstring_view::npos || end == 0) return false;
        const std::wstring digits(line.substr(0, end));
        wchar_t* stop = nullptr;
        property.Id = static_cast<LONG>(std::wcstol(digits.c_str(), &stop, 10));
        if (*stop) return false;
        line.remove_prefix(end);
    } else {
        property.IsString = true;
        if (!TakePrefix(line, L"\"")) return false;
        size_t end = 0;
        while (end < line.size() && line[end] != L'"') end += line[end] == L'\\' ? 2 : 1;
        if (end >= line.size() || !Unescape(line.substr(0, end), property.Name)) return false;
        line.remove_prefix(end + 1);
    }
    uint64_t type = 0;
    if (!TakePrefix(line, L" 0x") || !TakeHex(line, 4, type) || !TakeValue(line)) return false;
    if (!ParseValue(static_cast<ULONG>(type), line, property.Value)) {
        problem = L"unknown type or bad value of a named property";
        return false;
    }
    return true;
}

} // namespace

bool NamedProperty::SameName(const NamedProperty& other) const {
    return IsEqualGUID(Set, other.Set) && IsString == other.IsString &&
           (IsString ? Name == other.Name : Id == other.Id);
}

const StoredProperty* StoredMessage::Find(ULONG tag) const {
    for (const StoredProperty& property : Properties)
        if (property.Tag == tag) return &property;
    return nullptr;
}

void StoredMessage::Set(const StoredProperty& property) {
    for (StoredProperty& existing : Properties)
        if (PROP_ID(existing.Tag) == PROP_ID(property.Tag)) {
            existing = property;
            return;
        }
    Properties.push_back(property);
}

void StoredMessage::Remove(ULONG tag) {
    std::erase_if(Properties, [tag](const StoredProperty& property) { return property.Tag == tag; });
}

void StoredMessage::SetNamed(const NamedProperty& property) {
    for (NamedProperty& existing : Named)
        if (existing.SameName(property)) {
            existing = property;
            return;
        }
    Named.push_back(property);
}

std::wstring TextOf(const StoredMessage& message, ULONG tag) {
    const StoredProperty* property = message.Find(tag);
    return property ? property->Value.Text : std::wstring();
}

uint64_t NumberOf(const StoredMessage& message, ULONG tag) {
    const StoredProperty* property = message.Find(tag);
    return property ? property->Value.Number : 0;
}

std::wstring FormatFileTime(uint64_t time) {
    FILETIME file = {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    SYSTEMTIME parts = {};
    FileTimeToSystemTime(&file, &parts);
    wchar_t text[40];
    std::swprintf(text, 40, L"%04u-%02u-%02uT%02u:%02u:%02u.%07uZ", parts.wYear, parts.wMonth, parts.wDay,
                  parts.wHour, parts.wMinute, parts.wSecond, static_cast<unsigned>(time % TicksPerSecond));
    return text;
}

uint64_t UtcNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
}

std::string FormatMessageFile(const StoredMessage& message) {
    std::wstring out(Header);
    out += L"\r\n";
    for (const auto& [state, name] : StateNames)
        if (state == message.State) {
            out.append(StateKey).append(name) += L"\r\n";
        }
    if (!message.Note.empty()) {
        out += NoteKey;
        AppendEscaped(out, message.Note);
        out += L"\r\n";
    }
    auto appendProperty = [&out](const StoredProperty& property) {
        wchar_t tag[16];
        std::swprintf(tag, 16, L"0x%08lX", static_cast<unsigned long>(property.Tag));
        out += tag;
        for (const KnownTag& known : KnownTags)
            if (known.Tag == property.Tag) out.append(L" ").append(known.Name);
        out.append(L": ").append(FormatValue(property.Value)) += L"\r\n";
    };
    for (const StoredProperty& property : message.Properties) appendProperty(property);
    for (const NamedProperty& named : message.Named) {
        out.append(NamedKey).append(FormatGuid(named.Set)) += L' ';
        if (named.IsString) {
            out += L'"';
            AppendEscaped(out, named.Name, true);
            out += L'"';
        } else {
            out.append(L"#").append(std::to_wstring(named.Id));
        }
        wchar_t type[16];
        std::swprintf(type, 16, L" 0x%04lX: ", static_cast<unsigned long>(named.Value.Type));
        out.append(type).append(FormatValue(named.Value)) += L"\r\n";
    }
    for (const StoredRecipient& recipient : message.Recipients) {
        out.append(RecipientKey) += L"\r\n";
        for (const StoredProperty& property : recipient.Properties) appendProperty(property);
    }
    return ToUtf8(out);
}

bool ParseMessageFile(std::string_view bytes, StoredMessage& message, std::wstring& problem) {
    message = StoredMessage{};
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    std::wstring text;
    if (!FromUtf8(bytes, text)) {
        problem = L"the file is not UTF-8 text";
        return false;
    }
    std::wstring_view rest = text;
    int number = 0;
    bool headerSeen = false;
    StoredRecipient* recipient = nullptr;
    while (!rest.empty()) {
        const size_t end = rest.find(L'\n');
        std::wstring_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::wstring_view::npos ? rest.size() : end + 1);
        ++number;
        if (line.ends_with(L'\r')) line.remove_suffix(1);
        if (line.empty()) continue;
        bool ok = true;
        std::wstring lineProblem;
        if (!headerSeen) {
            ok = line == Header;
            lineProblem = L"not a message file of a known version";
            headerSeen = true;
        } else if (TakePrefix(line, StateKey)) {
            ok = false;
            lineProblem = L"unknown state";
            for (const auto& [state, name] : StateNames)
                if (line == name) {
                    message.State = state;
                    ok = true;
                }
        } else if (TakePrefix(line, NoteKey)) {
            ok = Unescape(line, message.Note);
            lineProblem = L"bad escape in the note";
        } else if (line == RecipientKey) {
            recipient = &message.Recipients.emplace_back();
        } else if (TakePrefix(line, NamedKey)) {
            NamedProperty named;
            ok = !recipient && ParseNamedLine(line, named, lineProblem);
            if (recipient) lineProblem = L"named properties belong before the recipients";
            if (ok) message.SetNamed(named);
        } else if (line.starts_with(L"0x")) {
            StoredProperty property;
            ok = ParsePropertyLine(line, property, lineProblem);
            if (ok && recipient) {
                std::erase_if(recipient->Properties, [&](const StoredProperty& p) {
                    return PROP_ID(p.Tag) == PROP_ID(property.Tag);
                });
                recipient->Properties.push_back(property);
            } else if (ok) {
                message.Set(property);
            }
        } else {
            ok = false;
            lineProblem = L"unknown line";
        }
        if (!ok) {
            problem = L"line " + std::to_wstring(number) + L": " + lineProblem;
            return false;
        }
    }
    if (!headerSeen) {
        problem = L"the file is empty";
        return false;
    }
    return true;
}

FileRead ReadMessageFile(const std::wstring& path, StoredMessage& message, std::wstring& problem) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        problem = L"cannot be opened (error " + std::to_wstring(error) + L")";
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::Missing
                                                                              : FileRead::Unreadable;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > LargestFile) {
        problem = L"is too large for a message";
        return FileRead::Corrupt;
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size())) {
        problem = L"cannot be read (error " + std::to_wstring(GetLastError()) + L")";
        return FileRead::Unreadable;
    }
    return ParseMessageFile(bytes, message, problem) ? FileRead::Ok : FileRead::Corrupt;
}

DWORD WriteMessageFile(const std::wstring& path, const StoredMessage& message) {
    const size_t slash = path.find_last_of(L'\\');
    const std::wstring name = path.substr(slash + 1);
    const std::wstring temporary =
        path.substr(0, slash + 1) + L"~" + name.substr(0, name.find_last_of(L'.')) + L".tmp";
    const std::string bytes = FormatMessageFile(message);
    ScopedFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD written = 0;
    DWORD error = ERROR_SUCCESS;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    file.Reset();
    if (!error &&
        !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error) DeleteFileW(temporary.c_str());
    return error;
}

} // namespace platform
