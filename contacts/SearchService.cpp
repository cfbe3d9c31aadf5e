#include "contacts/SearchService.h"

#include "platform/ServiceManager.h"

#include <cstring>
#include <cwchar>

namespace {

HANDLE RunningService(const SearchServiceLocation& location) {
    WString device;
    device.Format(L"%s0:", location.prefix);
    return platform::GetServiceHandle(device, nullptr, nullptr);
}

// Registers the service the way its installer expects: the library's own registration first.
HANDLE StartService(const SearchServiceLocation& location) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        HMODULE library = LoadLibraryW(location.library);
        if (!library) return nullptr;
        using Register = BOOL(WINAPI*)();
        const auto registerService =
            reinterpret_cast<Register>(reinterpret_cast<void*>(GetProcAddress(library, "MyRegService")));
        const BOOL registered = registerService && registerService();
        FreeLibrary(library);
        if (!registered) return nullptr;
        if (HANDLE service = platform::RegisterService(location.prefix, 0, location.library, 0))
            return service;
        if (GetLastError() != platform::ERROR_DEVICE_IN_USE_CODE) return nullptr;
        Sleep(100);
        if (HANDLE service = RunningService(location)) return service;
    }
    return nullptr;
}

DWORD ReadU32(const BYTE* bytes) {
    DWORD value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// The ids that open a reply: a count and that many ids; false when the reply is too short.
bool ReadIds(const BYTE* reply, DWORD replyBytes, Array<int>& ids, DWORD& offset) {
    if (!reply || replyBytes < 4) return false;
    const DWORD count = ReadU32(reply);
    if (count > (replyBytes - 4) / 4) return false;
    for (DWORD i = 0; i < count; ++i) ids.Add(static_cast<int>(ReadU32(reply + 4 + 4 * i)));
    offset = 4 + 4 * count;
    return true;
}

// Reads zero-terminated UTF-16 texts from a reply, never past its end.
class TextReader {
public:
    TextReader(const BYTE* reply, DWORD bytes, DWORD offset)
        : reply_(reply), bytes_(bytes), offset_(offset) {}
    // The next text; false at the end of the reply or on an unterminated text.
    bool Next(WString& text) {
        if (offset_ + sizeof(wchar_t) > bytes_) return false;
        const auto* start = reinterpret_cast<const wchar_t*>(reply_ + offset_);
        const size_t room = (bytes_ - offset_) / sizeof(wchar_t);
        const size_t length = wcsnlen(start, room);
        if (length == room) return false;
        text.Empty();
        if (length) {
            wchar_t* buffer = text.GetBuffer(static_cast<int>(length));
            if (!buffer) return false;
            std::memcpy(buffer, start, length * sizeof(wchar_t));
            text.ReleaseBuffer(static_cast<int>(length));
        }
        offset_ += static_cast<DWORD>((length + 1) * sizeof(wchar_t));
        return true;
    }

private:
    const BYTE* reply_;
    DWORD bytes_;
    DWORD offset_;
};

// A number's kind as the service sends it: one character 1..13 for a row of the kind table, or a label.
PhoneEntry EntryOf(const WString& number, const WString& kind) {
    PhoneEntry entry;
    entry.Number = number;
    const wchar_t code = kind.GetLength() == 1 ? static_cast<const wchar_t*>(kind)[0] : 0;
    if (code >= 1 && code <= PhoneKindCount) {
        entry.Kind = code - 1;
        entry.Label = PhoneKindTable[entry.Kind].Label;
    } else {
        entry.Kind = NotesPhoneKind;
        entry.Label = kind;
    }
    return entry;
}

} // namespace

int CallService(DWORD code, const void* input, DWORD inputBytes, void* output, DWORD outputBytes,
                DWORD* actualBytes, const SearchServiceLocation& location) {
    HANDLE service = RunningService(location);
    if (!service) service = StartService(location);
    if (!service) return 0;
    return platform::ServiceIoControl(service, code, const_cast<void*>(input), inputBytes, output,
                                      outputBytes, actualBytes, nullptr);
}

const BYTE* ServiceOperation::Call(const void* input, DWORD inputBytes, DWORD& replyBytes) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD actual = 0;
        if (CallService(code_, input, inputBytes, buffer_.data(), static_cast<DWORD>(buffer_.size()), &actual,
                        location_)) {
            replyBytes = actual > buffer_.size() ? static_cast<DWORD>(buffer_.size()) : actual;
            return buffer_.data();
        }
        if (actual == 0 || attempt == 1) break;
        buffer_.assign(actual, 0);
    }
    replyBytes = 0;
    return nullptr;
}

bool SearchContacts(ServiceOperation& operation, const wchar_t* query, int length, SearchResult& result) {
    result.ids.RemoveAll();
    result.texts.RemoveAll();
    DWORD replyBytes = 0;
    const BYTE* reply = operation.Call(query, static_cast<DWORD>(length) * sizeof(wchar_t), replyBytes);
    DWORD offset = 0;
    if (!ReadIds(reply, replyBytes, result.ids, offset)) return false;
    // Texts up to an empty one; an unterminated tail is dropped.
    TextReader texts(reply, replyBytes, offset);
    for (WString text; texts.Next(text) && !text.IsEmpty();) result.texts.Add(text);
    return true;
}

bool GetContactRecord(ServiceOperation& operation, DWORD oid, ServiceRecord& record) {
    record = ServiceRecord();
    DWORD replyBytes = 0;
    const BYTE* reply = operation.Call(&oid, sizeof oid, replyBytes);
    if (!reply || replyBytes < 8) return false;
    record.First = ReadU32(reply);
    record.Second = ReadU32(reply + 4);
    if (replyBytes - 8 < 10) return true;
    TextReader texts(reply, replyBytes, 8);
    if (!texts.Next(record.Name)) return true;
    WString number, kind;
    while (texts.Next(number) && !number.IsEmpty() && texts.Next(kind))
        record.Phones.Add(EntryOf(number, kind));
    texts.Next(record.Trailing1);
    texts.Next(record.Trailing2);
    return true;
}

Array<int> FindContactsByNumber(ServiceOperation& operation, const wchar_t* number) {
    Array<int> ids;
    DWORD replyBytes = 0;
    const BYTE* reply = operation.Call(
        number, static_cast<DWORD>(number ? std::wcslen(number) : 0) * sizeof(wchar_t), replyBytes);
    DWORD offset = 0;
    if (!ReadIds(reply, replyBytes, ids, offset)) ids.RemoveAll();
    return ids;
}

ServiceOperation& SearchOperation() {
    static ServiceOperation operation(search_service::KeypadSearchCode);
    return operation;
}

ServiceOperation& RecordOperation() {
    static ServiceOperation operation(search_service::ContactRecordCode);
    return operation;
}

ServiceOperation& NumberOperation() {
    static ServiceOperation operation(search_service::NumberLookupCode);
    return operation;
}
