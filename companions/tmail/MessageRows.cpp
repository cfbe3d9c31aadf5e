#include "companions/tmail/MessageRows.h"

#include "foundation/ScopedHandles.h"
#include "platform/MessageStoreFolders.h"
#include "platform/MessageStoreMapi.h"

#include <algorithm>
#include <cwchar>

namespace {

std::wstring_view Trim(std::wstring_view text) {
    const size_t start = text.find_first_not_of(L" \t");
    if (start == std::wstring_view::npos) return {};
    return text.substr(start, text.find_last_not_of(L" \t") - start + 1);
}

} // namespace

std::vector<MessageRow> ReadMessageRows(const std::wstring& folder) {
    std::vector<MessageRow> rows;
    std::vector<MessageRow> unreadable;
    for (const std::wstring& name : platform::ListMessageFiles(folder)) {
        MessageRow row;
        row.Path = folder + L"\\" + name;
        platform::StoredMessage message;
        std::wstring problem;
        const platform::FileRead read = platform::ReadMessageFile(row.Path, message, problem);
        if (read == platform::FileRead::Missing) continue;
        if (read != platform::FileRead::Ok) {
            row.Unreadable = true;
            row.Text = name;
            row.Note = problem;
            unreadable.push_back(row);
            continue;
        }
        for (const platform::StoredRecipient& recipient : message.Recipients)
            for (const platform::StoredProperty& property : recipient.Properties)
                if (property.Tag == PR_EMAIL_ADDRESS && !property.Value.Text.empty())
                    row.Recipients += (row.Recipients.empty() ? L"" : L"; ") + property.Value.Text;
        row.Text = platform::TextOf(message, PR_SUBJECT);
        row.Time = platform::NumberOf(message, PR_MESSAGE_DELIVERY_TIME);
        if (!row.Time) row.Time = platform::NumberOf(message, PR_CLIENT_SUBMIT_TIME);
        row.State = message.State;
        row.Note = message.Note;
        rows.push_back(row);
    }
    // File names sort by creation, so equal times keep the newer message first too.
    std::reverse(rows.begin(), rows.end());
    std::stable_sort(rows.begin(), rows.end(),
                     [](const MessageRow& a, const MessageRow& b) { return a.Time > b.Time; });
    rows.insert(rows.end(), unreadable.begin(), unreadable.end());
    return rows;
}

std::wstring FolderSignature(const std::wstring& folder) {
    std::wstring signature;
    WIN32_FIND_DATAW found;
    ScopedFind search(FindFirstFileW((folder + L"\\*" + platform::MessageFileExtension).c_str(), &found));
    if (!search) return signature;
    do {
        signature += found.cFileName;
        signature += L'|' + std::to_wstring(found.ftLastWriteTime.dwLowDateTime) + L'|' +
                     std::to_wstring(found.nFileSizeLow) + L'\n';
    } while (FindNextFileW(search.Get(), &found));
    return signature;
}

namespace {

bool LocalTime(uint64_t utc, SYSTEMTIME& local) {
    const FILETIME file = {static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
    SYSTEMTIME universal;
    return utc && FileTimeToSystemTime(&file, &universal) &&
           SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
}

} // namespace

std::wstring FormatLocalTime(uint64_t utc) {
    SYSTEMTIME local;
    if (!LocalTime(utc, local)) return L"";
    wchar_t text[32];
    std::swprintf(text, 32, L"%02u.%02u.%04u %02u:%02u", local.wDay, local.wMonth, local.wYear, local.wHour,
                  local.wMinute);
    return text;
}

std::wstring FormatShortTime(uint64_t utc) {
    SYSTEMTIME local, today;
    if (!LocalTime(utc, local)) return L"";
    GetLocalTime(&today);
    wchar_t text[32];
    if (local.wYear == today.wYear && local.wMonth == today.wMonth && local.wDay == today.wDay)
        std::swprintf(text, 32, L"%02u:%02u", local.wHour, local.wMinute);
    else
        std::swprintf(text, 32, L"%02u.%02u.%02u", local.wDay, local.wMonth, local.wYear % 100);
    return text;
}

const wchar_t* StateText(platform::TransportState state) {
    switch (state) {
    case platform::TransportState::Queued:
        return L"в очереди";
    case platform::TransportState::Sending:
        return L"отправляется";
    case platform::TransportState::Sent:
        return L"отправлено";
    case platform::TransportState::Failed:
        return L"не отправлено";
    default:
        return L"";
    }
}

Recipient ParseRecipient(std::wstring_view text) {
    const size_t open = text.find(L'<');
    const size_t close = text.rfind(L'>');
    if (open == std::wstring_view::npos || close == std::wstring_view::npos || close < open)
        return {L"", std::wstring(Trim(text))};
    return {std::wstring(Trim(text.substr(0, open))),
            std::wstring(Trim(text.substr(open + 1, close - open - 1)))};
}

std::wstring FormatRecipient(const Recipient& recipient) {
    if (recipient.Name.empty()) return recipient.Number;
    return recipient.Name + L" <" + recipient.Number + L">";
}
