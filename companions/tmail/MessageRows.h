#pragma once
// What the messaging program shows of a folder, and how it reads the recipient it is started with.
#include "platform/MessageFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct MessageRow {
    std::wstring Path;
    std::wstring Recipients; // the text-message numbers, separated by "; "
    std::wstring Text;
    uint64_t Time = 0; // UTC: delivered, else submitted, else 0
    platform::TransportState State = platform::TransportState::None;
    std::wstring Note;
    bool Unreadable = false; // the file does not read; Note says why
};

// The messages of a folder, newest first; unreadable files are listed too, at the end.
std::vector<MessageRow> ReadMessageRows(const std::wstring& folder);

// Names and write times of the folder's message files: changes when a message comes, goes or changes.
std::wstring FolderSignature(const std::wstring& folder);

// "06.12.2026 09:41" in local time; empty for 0.
std::wstring FormatLocalTime(uint64_t utc);
// The same for a list: "09:41" today, "06.12.26" before; empty for 0.
std::wstring FormatShortTime(uint64_t utc);

// The state as the program shows it ("в очереди", "отправляется", "отправлено", "не отправлено");
// empty for a message that was never submitted.
const wchar_t* StateText(platform::TransportState state);

struct Recipient {
    std::wstring Name;
    std::wstring Number;
};

// "Name<number>", "Name <number>" or a bare number, as the program is started with or the user types
// it; blanks around the parts are dropped.
Recipient ParseRecipient(std::wstring_view text);
// "Name <number>", or the number alone.
std::wstring FormatRecipient(const Recipient& recipient);
