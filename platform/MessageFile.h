#pragma once
// One message of the desktop message store, and the file that holds it.
//
// Every message is one UTF-8 text file "<name>.msg" in its folder, one item per line ("\r\n"; a
// plain "\n" is read too), written to a temporary file "~<name>.tmp" beside it and renamed over the
// old file, so that a crash leaves either the old or the new message, never half of one. Example:
//
//     Dialvane-Message: 1
//     State: sent
//     Note: kept on this computer (no gateway command is set)
//     0x0037001F Subject: Позвони мне\nкогда сможешь
//     0x0C1F001F SenderEmailAddress:
//     0x0E170003 MsgStatus: 0x00040000
//     0x0E070003 MessageFlags: 0x00000021
//     0x00390040 ClientSubmitTime: 2024-05-01T09:59:59.5120000Z
//     0x0E060040 MessageDeliveryTime: 2024-05-01T10:00:00.0000000Z
//     Named {00020328-0000-0000-C000-000000000046} "SMS:Unicode" 0x000B: true
//     Recipient:
//     0x0C150003 RecipientType: 0x00000001
//     0x3002001F AddrType: SMS
//     0x3003001F EmailAddress: +79161234567
//
// - The first line names the format and its version. "State" and "Note" are the transport's own
//   (State: queued, sending, sent or failed; absent for a message never submitted; Note: what
//   happened at the last send, for people).
// - A property line is the tag in hexadecimal, optionally a name for people (ignored when read),
//   a colon and a space, and the value: text (PT_UNICODE) with "\\", "\n", "\r", "\t" and "\uXXXX"
//   escapes for the backslash, other control characters and lone surrogates; 32-bit numbers
//   (PT_LONG) as 0xXXXXXXXX (decimal is read too); PT_BOOLEAN as true or false; times (PT_SYSTIME) in
//   UTC to the 100 nanoseconds; byte arrays (PT_BINARY) in hexadecimal.
// - A named property line gives its property set, its name in double quotes (escaped as text is, and
//   a double quote as \") or "#<number>" for a numeric name, and its type.
// - "Recipient:" starts a recipient; the property lines after it are the recipient's.
// Any other line, an unknown type or a malformed value makes the file unreadable as a whole; such a
// file is left where it is, untouched.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct StoredValue {
    ULONG Type = 0;          // PT_LONG, PT_BOOLEAN, PT_UNICODE, PT_SYSTIME or PT_BINARY
    uint64_t Number = 0;     // PT_LONG (32 bits), PT_BOOLEAN (0 or 1), PT_SYSTIME (a FILETIME)
    std::wstring Text;       // PT_UNICODE
    std::vector<BYTE> Bytes; // PT_BINARY
    bool operator==(const StoredValue&) const = default;
};

struct StoredProperty {
    ULONG Tag = 0; // identifier and type
    StoredValue Value;
    bool operator==(const StoredProperty&) const = default;
};

struct NamedProperty {
    GUID Set = {};
    bool IsString = true; // MNID_STRING: Name; MNID_ID: Id
    std::wstring Name;
    LONG Id = 0;
    StoredValue Value;
    bool SameName(const NamedProperty& other) const;
    bool operator==(const NamedProperty& other) const { return SameName(other) && Value == other.Value; }
};

struct StoredRecipient {
    std::vector<StoredProperty> Properties;
    bool operator==(const StoredRecipient&) const = default;
};

enum class TransportState { None, Queued, Sending, Sent, Failed };

struct StoredMessage {
    TransportState State = TransportState::None;
    std::wstring Note;
    std::vector<StoredProperty> Properties; // in the order first set
    std::vector<NamedProperty> Named;
    std::vector<StoredRecipient> Recipients;

    // The property with this tag (identifier and type), or null.
    const StoredProperty* Find(ULONG tag) const;
    // Replaces the property with the same identifier, or appends it.
    void Set(const StoredProperty& property);
    void Remove(ULONG tag);
    void SetNamed(const NamedProperty& property);
    bool operator==(const StoredMessage&) const = default;
};

// The value a text property, a number or a time of the message, empty or 0 when missing.
std::wstring TextOf(const StoredMessage& message, ULONG tag);
uint64_t NumberOf(const StoredMessage& message, ULONG tag);

std::string FormatMessageFile(const StoredMessage& message);

// Parses a message file; false with the reason ("line 7: unknown type 0x0048") when it is not one.
bool ParseMessageFile(std::string_view bytes, StoredMessage& message, std::wstring& problem);

enum class FileRead { Ok, Missing, Unreadable, Corrupt };

// Reads and parses the file at path; problem says why when the result is not Ok.
FileRead ReadMessageFile(const std::wstring& path, StoredMessage& message, std::wstring& problem);

// Writes the message to path through a temporary file renamed over it; the system error code, 0 on
// success. On failure the old file (if any) is as it was and no temporary file remains.
DWORD WriteMessageFile(const std::wstring& path, const StoredMessage& message);

// The time as the files write it, "2024-05-01T10:00:00.0000000Z".
std::wstring FormatFileTime(uint64_t time);

// Now, as a FILETIME in UTC.
uint64_t UtcNow();

} // namespace platform
