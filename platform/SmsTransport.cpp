#include "platform/SmsTransport.h"

#include "platform/MessageStoreFolders.h"
#include "platform/MessageStoreMapi.h"
#include "platform/SmsGateway.h"
#include "foundation/DataFiles.h"
#include "foundation/ErrorLog.h"

#include <mutex>
#include <set>

namespace platform {

namespace {

constexpr wchar_t KeptLocallyNote[] = L"kept on this computer (no gateway command is set)";
constexpr wchar_t InterruptedNote[] =
    L"the transport stopped while sending it; it may or may not have gone out";

void LogWriteFailure(const std::wstring& path, DWORD error, const wchar_t* function) {
    const std::wstring line =
        L"Message store: cannot write " + path + L" (error " + std::to_wstring(error) + L")";
    LogLine(ErrorLogPath(), line.c_str(), L"SmsTransport", function, __LINE__);
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring SmsStore() {
    return MessageStoreRoot() + L"\\" + SmsStoreName;
}

StoredProperty Text(ULONG tag, const std::wstring& text) {
    StoredProperty property{tag, {}};
    property.Value.Type = PT_UNICODE;
    property.Value.Text = text;
    return property;
}

StoredProperty Number(ULONG tag, uint64_t number) {
    StoredProperty property{tag, {}};
    property.Value.Type = PROP_TYPE(tag);
    property.Value.Number = number;
    return property;
}

// Writes the message into folder of store; the error code, 0 on success. A message already on disk
// is written where it is and then moved, so that it is never in two folders at once; one that is not
// goes straight to its folder.
DWORD WriteInto(const std::wstring& store, const wchar_t* folder, std::wstring& path,
                const StoredMessage& message) {
    const std::wstring target = store + L"\\" + folder;
    const std::wstring moved = target + path.substr(path.find_last_of(L'\\'));
    const bool elsewhere = _wcsicmp(FolderOf(path).c_str(), target.c_str()) != 0;
    if (elsewhere && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (const DWORD error = WriteMessageFile(moved, message)) return error;
        path = moved;
        return 0;
    }
    if (const DWORD error = WriteMessageFile(path, message)) return error;
    if (!elsewhere) return 0;
    if (const DWORD error = MoveMessageFile(path, target)) return error;
    path = moved;
    return 0;
}

DWORD FileAsSent(const std::wstring& store, std::wstring& path, StoredMessage& message,
                 const std::wstring& note) {
    message.State = TransportState::Sent;
    message.Note = note;
    message.Set(Number(PR_MESSAGE_FLAGS, NumberOf(message, PR_MESSAGE_FLAGS) & ~MSGFLAG_UNSENT));
    message.Set(Number(PR_MESSAGE_DELIVERY_TIME, UtcNow()));
    return WriteInto(store, SentItemsFolder, path, message);
}

// The numbers of the message's text-message recipients.
std::vector<std::wstring> RecipientNumbers(const StoredMessage& message) {
    std::vector<std::wstring> numbers;
    for (const StoredRecipient& recipient : message.Recipients) {
        std::wstring type, number;
        for (const StoredProperty& property : recipient.Properties) {
            if (property.Tag == PR_ADDRTYPE) type = property.Value.Text;
            if (property.Tag == PR_EMAIL_ADDRESS) number = property.Value.Text;
        }
        if (type == SmsStoreName && !number.empty()) numbers.push_back(number);
    }
    return numbers;
}

// Runs the gateway for every recipient; the outcome of the last run, or of the first that failed.
GatewayOutcome SendToRecipients(const StoredMessage& message) {
    const std::vector<std::wstring> numbers = RecipientNumbers(message);
    if (numbers.empty()) return {true, false, L"the message has no recipient with a text-message number"};
    GatewayOutcome outcome;
    std::wstring reached;
    for (const std::wstring& number : numbers) {
        outcome = RunSmsGateway(number, TextOf(message, PR_SUBJECT));
        if (!outcome.Configured) return outcome;
        if (!outcome.Sent) {
            if (!reached.empty())
                outcome.Note = L"sent to" + reached + L"; not to " + number + L": " + outcome.Note;
            return outcome;
        }
        reached += L" " + number;
    }
    return outcome;
}

void SendQueued(const std::wstring& store, std::wstring path, StoredMessage& message) {
    message.State = TransportState::Sending;
    message.Note.clear();
    if (const DWORD error = WriteMessageFile(path, message)) {
        LogWriteFailure(path, error, L"SendQueued");
        return;
    }
    const GatewayOutcome outcome = SendToRecipients(message);
    DWORD error = 0;
    if (!outcome.Configured || outcome.Sent) {
        error = FileAsSent(store, path, message, outcome.Configured ? outcome.Note : KeptLocallyNote);
    } else {
        message.State = TransportState::Failed;
        message.Note = outcome.Note;
        error = WriteMessageFile(path, message);
        const std::vector<std::wstring> numbers = RecipientNumbers(message);
        const std::wstring line = L"SMS transport: the message " + path + L" to " +
                                  (numbers.empty() ? L"nobody" : numbers.front()) + L" was not sent: " +
                                  outcome.Note;
        LogLine(ErrorLogPath(), line.c_str(), L"SmsTransport", L"SendQueued", __LINE__);
    }
    if (error) LogWriteFailure(path, error, L"SendQueued");
}

// Reports each unreadable message file once per process: the service looks at the Outbox often.
void ReportUnreadable(const std::wstring& path, const std::wstring& problem) {
    static std::mutex guard;
    static std::set<std::wstring> reported;
    std::lock_guard lock(guard);
    if (!reported.insert(path).second) return;
    ProblemReport report(L"SmsTransport", L"RunTransportQueue");
    report.Add((L"Message store: " + path + L" is left alone: " + problem).c_str());
}

} // namespace

HRESULT SubmitToTransport(const std::wstring& store, std::wstring& path, StoredMessage& message) {
    StoredMessage submitted = message;
    submitted.Set(Number(PR_CLIENT_SUBMIT_TIME, UtcNow()));
    std::wstring target = path;
    DWORD error = 0;
    if (ReadGatewayCommand().empty()) {
        error = FileAsSent(store, target, submitted, KeptLocallyNote);
    } else {
        submitted.State = TransportState::Queued;
        submitted.Note.clear();
        error = WriteInto(store, OutboxFolder, target, submitted);
        if (!error) WakeTransport();
    }
    if (error) {
        LogWriteFailure(target, error, L"SubmitToTransport");
        return error == ERROR_ACCESS_DENIED ? MAPI_E_NO_ACCESS : MAPI_E_DISK_ERROR;
    }
    message = submitted;
    path = target;
    return S_OK;
}

void RunTransportQueue(bool recover) {
    const std::wstring store = SmsStore();
    const std::wstring outbox = store + L"\\" + OutboxFolder;
    for (const std::wstring& name : ListMessageFiles(outbox)) {
        std::wstring path = outbox + L"\\" + name;
        StoredMessage message;
        std::wstring problem;
        const FileRead read = ReadMessageFile(path, message, problem);
        if (read == FileRead::Missing) continue; // sent or moved meanwhile
        if (read != FileRead::Ok) {
            ReportUnreadable(path, problem);
            continue;
        }
        DWORD error = 0;
        if (recover && message.State == TransportState::Sending) {
            message.State = TransportState::Failed;
            message.Note = InterruptedNote;
            error = WriteMessageFile(path, message);
        } else if (recover && message.State == TransportState::Sent) {
            error = WriteInto(store, SentItemsFolder, path, message);
        } else if (message.State == TransportState::Queued) {
            SendQueued(store, path, message);
        }
        if (error) LogWriteFailure(path, error, L"RunTransportQueue");
    }
}

StoredMessage NewTextMessage(const std::wstring& number, const std::wstring& text) {
    StoredMessage message;
    message.Properties = {Text(PR_SUBJECT, text), Text(PR_SENDER_EMAIL_ADDRESS, L""),
                          Number(PR_MSG_STATUS, MSGSTATUS_TEXT_MESSAGE),
                          Number(PR_MESSAGE_FLAGS, MSGFLAG_READ | MSGFLAG_UNSENT | MSGFLAG_FROMME)};
    NamedProperty unicode;
    unicode.Set = PS_MAPI;
    unicode.Name = L"SMS:Unicode";
    unicode.Value.Type = PT_BOOLEAN;
    unicode.Value.Number = 1;
    message.Named.push_back(unicode);
    message.Recipients.push_back({{Number(PR_RECIPIENT_TYPE, MAPI_TO), Text(PR_ADDRTYPE, SmsStoreName),
                                   Text(PR_EMAIL_ADDRESS, number)}});
    return message;
}

HRESULT SubmitTextMessage(const std::wstring& number, const std::wstring& text) {
    if (EnsureSmsStore(MessageStoreRoot())) return MAPI_E_NOT_FOUND;
    const std::wstring store = SmsStore();
    std::wstring path = store + L"\\" + OutboxFolder + L"\\" + NewMessageFileName();
    StoredMessage message = NewTextMessage(number, text);
    return SubmitToTransport(store, path, message);
}

bool KeepFailedMessage(const std::wstring& number, const std::wstring& text, const std::wstring& note) {
    if (EnsureSmsStore(MessageStoreRoot())) return false;
    StoredMessage message = NewTextMessage(number, text);
    message.State = TransportState::Failed;
    message.Note = note;
    message.Set(Number(PR_CLIENT_SUBMIT_TIME, UtcNow()));
    const std::wstring path = SmsStore() + L"\\" + OutboxFolder + L"\\" + NewMessageFileName();
    const DWORD error = WriteMessageFile(path, message);
    const std::wstring line = L"SMS library: the message to " + number + L" was not sent: " + note;
    LogLine(ErrorLogPath(), line.c_str(), L"SmsTransport", L"KeepFailedMessage", __LINE__);
    if (error) LogWriteFailure(path, error, L"KeepFailedMessage");
    return !error;
}

bool SendAgain(const std::wstring& path) {
    StoredMessage message;
    std::wstring problem;
    if (ReadMessageFile(path, message, problem) != FileRead::Ok || message.State != TransportState::Failed)
        return false;
    message.State = TransportState::Queued;
    message.Note.clear();
    if (const DWORD error = WriteMessageFile(path, message)) {
        LogWriteFailure(path, error, L"SendAgain");
        return false;
    }
    WakeTransport();
    return true;
}

void WakeTransport() {
    if (HANDLE wake = OpenEventW(EVENT_MODIFY_STATE, FALSE, TransportWakeEventName)) {
        SetEvent(wake);
        CloseHandle(wake);
    }
}

} // namespace platform
