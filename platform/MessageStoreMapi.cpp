#include "platform/MessageStoreMapi.h"

#include "platform/ComObject.h"
#include "platform/MessageFile.h"
#include "platform/MessageStoreFolders.h"
#include "platform/SmsTransport.h"
#include "foundation/DataFiles.h"
#include "foundation/ErrorLog.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

// The interfaces are ours, so their identifiers are too; clients ask for the default interface (null).
constexpr IID IID_IMAPITable = {0x7E5C8D01, 0x2A4B, 0x4C1D, {0x9B, 0x3E, 0x51, 0x0A, 0x6F, 0x21, 0xC4, 0x01}};
constexpr IID IID_IMsgStore = {0x7E5C8D02, 0x2A4B, 0x4C1D, {0x9B, 0x3E, 0x51, 0x0A, 0x6F, 0x21, 0xC4, 0x01}};
constexpr IID IID_IMAPIFolder = {
    0x7E5C8D03, 0x2A4B, 0x4C1D, {0x9B, 0x3E, 0x51, 0x0A, 0x6F, 0x21, 0xC4, 0x01}};
constexpr IID IID_IMessage = {0x7E5C8D04, 0x2A4B, 0x4C1D, {0x9B, 0x3E, 0x51, 0x0A, 0x6F, 0x21, 0xC4, 0x01}};
constexpr IID IID_IMAPISession = {
    0x7E5C8D05, 0x2A4B, 0x4C1D, {0x9B, 0x3E, 0x51, 0x0A, 0x6F, 0x21, 0xC4, 0x01}};

namespace platform {

namespace {

// Entry identifiers: four flag bytes, this marker, then the path below the store folder in UTF-16:
// "<store>", "<store>\<folder>" or "<store>\<folder>\<message file>".
constexpr BYTE EntryMarker[4] = {'D', 'V', 'M', 'S'};
constexpr ULONG FirstNamedId = 0x8000;
constexpr ULONG LastNamedId = 0xFFFE;

std::atomic<int> initialised = 0;

// Every MAPI buffer starts with this header; buffers from MAPIAllocateMore hang off their parent.
struct alignas(16) BufferHeader {
    BufferHeader* next;
};

void* ToUser(BufferHeader* header) {
    return header + 1;
}
BufferHeader* ToHeader(void* buffer) {
    return static_cast<BufferHeader*>(buffer) - 1;
}

// The names resolved in one session: id FirstNamedId + index.
struct NameTable {
    std::vector<NamedProperty> Names;
};

struct EntryPath {
    std::vector<std::wstring> Parts; // store, folder, message file
};

std::vector<BYTE> MakeEntryId(const std::wstring& path) {
    std::vector<BYTE> id(8 + path.size() * sizeof(wchar_t), 0);
    std::memcpy(id.data() + 4, EntryMarker, 4);
    std::memcpy(id.data() + 8, path.data(), path.size() * sizeof(wchar_t));
    return id;
}

bool ParseEntryId(ULONG size, const ENTRYID* id, EntryPath& entry) {
    if (!id || size < 10 || (size - 8) % 2 || std::memcmp(id->ab, EntryMarker, 4) != 0) return false;
    std::wstring path((size - 8) / 2, L'\0');
    std::memcpy(path.data(), reinterpret_cast<const BYTE*>(id) + 8, size - 8);
    entry.Parts.clear();
    for (size_t start = 0;;) {
        const size_t end = path.find(L'\\', start);
        entry.Parts.push_back(path.substr(start, end - start));
        if (!IsPlainName(entry.Parts.back())) return false;
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return entry.Parts.size() < 3 ||
           (entry.Parts.size() == 3 && entry.Parts[2].ends_with(MessageFileExtension));
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && attributes & FILE_ATTRIBUTE_DIRECTORY;
}

bool KnownType(ULONG type) {
    return type == PT_LONG || type == PT_BOOLEAN || type == PT_UNICODE || type == PT_SYSTIME ||
           type == PT_BINARY;
}

// The property value a client passed, as the store keeps it; false for a type it cannot keep.
bool ToStored(const SPropValue& value, StoredValue& stored) {
    stored = StoredValue{};
    stored.Type = PROP_TYPE(value.ulPropTag);
    switch (stored.Type) {
    case PT_LONG:
        stored.Number = value.Value.ul;
        return true;
    case PT_BOOLEAN:
        stored.Number = value.Value.b != 0;
        return true;
    case PT_SYSTIME:
        stored.Number =
            static_cast<uint64_t>(value.Value.ft.dwHighDateTime) << 32 | value.Value.ft.dwLowDateTime;
        return true;
    case PT_UNICODE:
        if (!value.Value.lpszW) return false;
        stored.Text = value.Value.lpszW;
        return true;
    case PT_BINARY:
        if (value.Value.bin.cb && !value.Value.bin.lpb) return false;
        stored.Bytes.assign(value.Value.bin.lpb, value.Value.bin.lpb + value.Value.bin.cb);
        return true;
    default:
        return false;
    }
}

// Fills value from stored, allocating texts and bytes onto parent.
HRESULT FromStored(ULONG tag, const StoredValue& stored, SPropValue& value, void* parent) {
    value.ulPropTag = tag;
    value.dwAlignPad = 0;
    switch (stored.Type) {
    case PT_LONG:
        value.Value.ul = static_cast<ULONG>(stored.Number);
        return S_OK;
    case PT_BOOLEAN:
        value.Value.b = static_cast<unsigned short>(stored.Number != 0);
        return S_OK;
    case PT_SYSTIME:
        value.Value.ft = {static_cast<DWORD>(stored.Number), static_cast<DWORD>(stored.Number >> 32)};
        return S_OK;
    case PT_UNICODE: {
        void* text = nullptr;
        const size_t bytes = (stored.Text.size() + 1) * sizeof(wchar_t);
        if (FAILED(MAPIAllocateMore(static_cast<ULONG>(bytes), parent, &text)))
            return MAPI_E_NOT_ENOUGH_MEMORY;
        std::memcpy(text, stored.Text.c_str(), bytes);
        value.Value.lpszW = static_cast<wchar_t*>(text);
        return S_OK;
    }
    default: {
        void* bytes = nullptr;
        if (FAILED(MAPIAllocateMore(static_cast<ULONG>(stored.Bytes.size()) + 1, parent, &bytes)))
            return MAPI_E_NOT_ENOUGH_MEMORY;
        if (!stored.Bytes.empty()) std::memcpy(bytes, stored.Bytes.data(), stored.Bytes.size());
        value.Value.bin = {static_cast<ULONG>(stored.Bytes.size()), static_cast<BYTE*>(bytes)};
        return S_OK;
    }
    }
}

StoredValue Binary(const std::vector<BYTE>& bytes) {
    StoredValue value;
    value.Type = PT_BINARY;
    value.Bytes = bytes;
    return value;
}

StoredValue Text(const std::wstring& text) {
    StoredValue value;
    value.Type = PT_UNICODE;
    value.Text = text;
    return value;
}

// Answers GetProps from a look-up of each tag: missing properties come back as PT_ERROR.
template <class Lookup>
HRESULT AnswerProps(SPropTagArray* tags, ULONG* count, SPropValue** values, const std::vector<ULONG>& all,
                    Lookup lookup) {
    if (!count || !values) return MAPI_E_INVALID_PARAMETER;
    *count = 0;
    *values = nullptr;
    const ULONG wanted = tags ? tags->cValues : static_cast<ULONG>(all.size());
    void* buffer = nullptr;
    if (FAILED(MAPIAllocateBuffer(std::max<ULONG>(wanted, 1) * sizeof(SPropValue), &buffer)))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* answer = static_cast<SPropValue*>(buffer);
    bool missing = false;
    for (ULONG i = 0; i < wanted; ++i) {
        const ULONG tag = tags ? tags->aulPropTag[i] : all[i];
        StoredValue stored;
        if (lookup(tag, stored) && PROP_TYPE(tag) == stored.Type) {
            if (FAILED(FromStored(tag, stored, answer[i], buffer))) {
                MAPIFreeBuffer(buffer);
                return MAPI_E_NOT_ENOUGH_MEMORY;
            }
        } else {
            answer[i].ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(tag));
            answer[i].Value.err = MAPI_E_NOT_FOUND;
            missing = true;
        }
    }
    *count = wanted;
    *values = answer;
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

HRESULT ResolveNames(NameTable& table, ULONG count, MAPINAMEID** names, ULONG flags, SPropTagArray** tags) {
    if (!tags || !names || !count) return MAPI_E_INVALID_PARAMETER;
    void* buffer = nullptr;
    if (FAILED(MAPIAllocateBuffer(sizeof(ULONG) * (count + 1), &buffer))) return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* answer = static_cast<SPropTagArray*>(buffer);
    answer->cValues = count;
    bool missing = false;
    for (ULONG i = 0; i < count; ++i) {
        const MAPINAMEID* name = names[i];
        answer->aulPropTag[i] = PROP_TAG(PT_ERROR, 0);
        if (!name || !name->lpguid || (name->ulKind == MNID_STRING && !name->Kind.lpwstrName) ||
            (name->ulKind != MNID_STRING && name->ulKind != MNID_ID)) {
            missing = true;
            continue;
        }
        NamedProperty key;
        key.Set = *name->lpguid;
        key.IsString = name->ulKind == MNID_STRING;
        if (key.IsString)
            key.Name = name->Kind.lpwstrName;
        else
            key.Id = name->Kind.lID;
        size_t index = 0;
        while (index < table.Names.size() && !table.Names[index].SameName(key)) ++index;
        if (index == table.Names.size()) {
            if (!(flags & MAPI_CREATE) || FirstNamedId + index > LastNamedId) {
                missing = true;
                continue;
            }
            table.Names.push_back(key);
        }
        answer->aulPropTag[i] = PROP_TAG(0, FirstNamedId + static_cast<ULONG>(index));
    }
    *tags = answer;
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

class Session;

class StoresTable final : public ComObject<IMAPITable> {
public:
    explicit StoresTable(std::vector<std::wstring> stores) : stores_(std::move(stores)) {}

    HRESULT STDMETHODCALLTYPE QueryRows(LONG rowCount, ULONG, SRowSet** rows) override {
        if (!rows || rowCount < 0) return MAPI_E_INVALID_PARAMETER;
        *rows = nullptr;
        const ULONG count = static_cast<ULONG>(std::min<size_t>(rowCount, stores_.size() - next_));
        void* buffer = nullptr;
        if (FAILED(MAPIAllocateBuffer(sizeof(SRowSet) + sizeof(SRow) * count, &buffer)))
            return MAPI_E_NOT_ENOUGH_MEMORY;
        auto* set = static_cast<SRowSet*>(buffer);
        set->cRows = 0;
        for (ULONG i = 0; i < count; ++i) {
            const std::wstring& name = stores_[next_];
            void* props = nullptr;
            if (FAILED(MAPIAllocateBuffer(2 * sizeof(SPropValue), &props)) ||
                FAILED(FromStored(PR_ENTRYID, Binary(MakeEntryId(name)), static_cast<SPropValue*>(props)[0],
                                  props)) ||
                FAILED(FromStored(PR_DISPLAY_NAME, Text(name), static_cast<SPropValue*>(props)[1], props))) {
                MAPIFreeBuffer(props);
                FreeProws(set);
                return MAPI_E_NOT_ENOUGH_MEMORY;
            }
            set->aRow[i] = {0, 2, static_cast<SPropValue*>(props)};
            set->cRows = i + 1;
            ++next_;
        }
        *rows = set;
        return S_OK;
    }

protected:
    const IID& Identity() const override { return IID_IMAPITable; }

private:
    std::vector<std::wstring> stores_;
    size_t next_ = 0;
};

// Store, folder and message share the session's root and name table.
struct Place {
    std::wstring Root;
    std::shared_ptr<NameTable> Names;
};

class MsgStore final : public ComObject<IMsgStore> {
public:
    MsgStore(Place place, std::wstring name) : place_(std::move(place)), name_(std::move(name)) {}

    HRESULT STDMETHODCALLTYPE GetProps(SPropTagArray* tags, ULONG, ULONG* count,
                                       SPropValue** values) override {
        const std::wstring folder = place_.Root + L"\\" + name_;
        auto folderId = [&](const wchar_t* sub, StoredValue& value) {
            if (!IsFolder(folder + L"\\" + sub)) return false;
            value = Binary(MakeEntryId(name_ + L"\\" + sub));
            return true;
        };
        return AnswerProps(tags, count, values,
                           {PR_ENTRYID, PR_DISPLAY_NAME, PR_IPM_OUTBOX_ENTRYID, PR_IPM_SENTMAIL_ENTRYID},
                           [&](ULONG tag, StoredValue& value) {
                               switch (tag) {
                               case PR_ENTRYID:
                                   value = Binary(MakeEntryId(name_));
                                   return true;
                               case PR_DISPLAY_NAME:
                                   value = Text(name_);
                                   return true;
                               case PR_IPM_OUTBOX_ENTRYID:
                                   return folderId(OutboxFolder, value);
                               case PR_IPM_SENTMAIL_ENTRYID:
                                   return folderId(SentItemsFolder, value);
                               default:
                                   return false;
                               }
                           });
    }
    HRESULT STDMETHODCALLTYPE SetProps(ULONG, SPropValue*, SPropProblemArray**) override {
        return MAPI_E_NO_ACCESS;
    }
    HRESULT STDMETHODCALLTYPE GetIDsFromNames(ULONG count, MAPINAMEID** names, ULONG flags,
                                              SPropTagArray** tags) override {
        return ResolveNames(*place_.Names, count, names, flags, tags);
    }

protected:
    const IID& Identity() const override { return IID_IMsgStore; }

private:
    Place place_;
    std::wstring name_;
};

class Message final : public ComObject<IMessage> {
public:
    Message(Place place, std::wstring store, std::wstring path, StoredMessage message)
        : place_(std::move(place)), store_(std::move(store)), path_(std::move(path)),
          message_(std::move(message)) {}
    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;

    // The last reference writes what changed; a write that fails is logged, the file stays as it was.
    ~Message() override {
        if (!changed_ || submitted_) return;
        if (const DWORD error = WriteMessageFile(path_, message_)) {
            const std::wstring line =
                L"Message store: cannot write " + path_ + L" (error " + std::to_wstring(error) + L")";
            LogLine(ErrorLogPath(), line.c_str(), L"MessageStore", L"~Message", __LINE__);
        }
    }

    HRESULT STDMETHODCALLTYPE GetProps(SPropTagArray* tags, ULONG, ULONG* count,
                                       SPropValue** values) override {
        std::vector<ULONG> all;
        for (const StoredProperty& property : message_.Properties) all.push_back(property.Tag);
        for (const NamedProperty& named : message_.Named)
            if (const ULONG id = NamedId(named)) all.push_back(PROP_TAG(named.Value.Type, id));
        return AnswerProps(tags, count, values, all, [&](ULONG tag, StoredValue& value) {
            if (PROP_ID(tag) >= FirstNamedId) {
                for (const NamedProperty& named : message_.Named)
                    if (NamedId(named) == PROP_ID(tag)) {
                        value = named.Value;
                        return true;
                    }
                return false;
            }
            if (tag == PR_ENTRYID) {
                const size_t file = path_.find_last_of(L'\\');
                const size_t folder = path_.find_last_of(L'\\', file - 1);
                value = Binary(MakeEntryId(store_ + path_.substr(folder)));
                return true;
            }
            const StoredProperty* property = message_.Find(tag);
            if (property) value = property->Value;
            return property != nullptr;
        });
    }

    HRESULT STDMETHODCALLTYPE SetProps(ULONG count, SPropValue* values,
                                       SPropProblemArray** problems) override {
        if (problems) *problems = nullptr;
        if (!values && count) return MAPI_E_INVALID_PARAMETER;
        if (submitted_) return MAPI_E_NO_ACCESS;
        StoredMessage changed = message_;
        for (ULONG i = 0; i < count; ++i) {
            StoredValue value;
            if (!ToStored(values[i], value)) return MAPI_E_BAD_VALUE;
            const ULONG id = PROP_ID(values[i].ulPropTag);
            if (id < FirstNamedId) {
                changed.Set({values[i].ulPropTag, value});
                continue;
            }
            if (id - FirstNamedId >= place_.Names->Names.size()) return MAPI_E_INVALID_PARAMETER;
            NamedProperty named = place_.Names->Names[id - FirstNamedId];
            named.Value = value;
            changed.SetNamed(named);
        }
        return Commit(changed);
    }

    HRESULT STDMETHODCALLTYPE GetIDsFromNames(ULONG count, MAPINAMEID** names, ULONG flags,
                                              SPropTagArray** tags) override {
        return ResolveNames(*place_.Names, count, names, flags, tags);
    }

    HRESULT STDMETHODCALLTYPE ModifyRecipients(ULONG flags, ADRLIST* recipients) override {
        if (!recipients || flags != MODRECIP_ADD)
            return flags == MODRECIP_ADD ? MAPI_E_INVALID_PARAMETER : MAPI_E_NO_SUPPORT;
        if (submitted_) return MAPI_E_NO_ACCESS;
        StoredMessage changed = message_;
        for (ULONG i = 0; i < recipients->cEntries; ++i) {
            const ADRENTRY& entry = recipients->aEntries[i];
            if (entry.cValues && !entry.rgPropVals) return MAPI_E_INVALID_PARAMETER;
            StoredRecipient& recipient = changed.Recipients.emplace_back();
            for (ULONG j = 0; j < entry.cValues; ++j) {
                StoredValue value;
                if (!KnownType(PROP_TYPE(entry.rgPropVals[j].ulPropTag)) ||
                    !ToStored(entry.rgPropVals[j], value))
                    return MAPI_E_BAD_VALUE;
                recipient.Properties.push_back({entry.rgPropVals[j].ulPropTag, value});
            }
        }
        return Commit(changed);
    }

    HRESULT STDMETHODCALLTYPE SubmitMessage(ULONG) override {
        if (submitted_) return MAPI_E_NO_ACCESS;
        const HRESULT result = SubmitToTransport(place_.Root + L"\\" + store_, path_, message_);
        if (SUCCEEDED(result)) submitted_ = true;
        return result;
    }

protected:
    const IID& Identity() const override { return IID_IMessage; }

private:
    ULONG NamedId(const NamedProperty& named) const {
        const std::vector<NamedProperty>& names = place_.Names->Names;
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i].SameName(named)) return FirstNamedId + static_cast<ULONG>(i);
        return 0;
    }

    // Takes the changes; they reach the file when the message is released or submitted. A message whose
    // folder has gone takes none.
    HRESULT Commit(const StoredMessage& changed) {
        const std::wstring folder = path_.substr(0, path_.find_last_of(L'\\'));
        if (!IsFolder(folder)) return MAPI_E_NOT_FOUND;
        message_ = changed;
        changed_ = true;
        return S_OK;
    }

    Place place_;
    std::wstring store_;
    std::wstring path_;
    StoredMessage message_;
    bool changed_ = false;
    bool submitted_ = false;
};

class Folder final : public ComObject<IMAPIFolder> {
public:
    Folder(Place place, std::wstring store, std::wstring name)
        : place_(std::move(place)), store_(std::move(store)), name_(std::move(name)) {}

    HRESULT STDMETHODCALLTYPE GetProps(SPropTagArray* tags, ULONG, ULONG* count,
                                       SPropValue** values) override {
        return AnswerProps(tags, count, values, {PR_ENTRYID, PR_DISPLAY_NAME},
                           [&](ULONG tag, StoredValue& value) {
                               if (tag == PR_ENTRYID)
                                   value = Binary(MakeEntryId(store_ + L"\\" + name_));
                               else if (tag == PR_DISPLAY_NAME)
                                   value = Text(name_);
                               else
                                   return false;
                               return true;
                           });
    }
    HRESULT STDMETHODCALLTYPE SetProps(ULONG, SPropValue*, SPropProblemArray**) override {
        return MAPI_E_NO_ACCESS;
    }
    HRESULT STDMETHODCALLTYPE GetIDsFromNames(ULONG count, MAPINAMEID** names, ULONG flags,
                                              SPropTagArray** tags) override {
        return ResolveNames(*place_.Names, count, names, flags, tags);
    }

    HRESULT STDMETHODCALLTYPE CreateMessage(const IID*, ULONG, IMessage** message) override {
        if (!message) return MAPI_E_INVALID_PARAMETER;
        const std::wstring folder = place_.Root + L"\\" + store_ + L"\\" + name_;
        if (!IsFolder(folder)) {
            *message = nullptr;
            return MAPI_E_NOT_FOUND;
        }
        *message = new (std::nothrow) Message(place_, store_, folder + L"\\" + NewMessageFileName(), {});
        return *message ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
    }

protected:
    const IID& Identity() const override { return IID_IMAPIFolder; }

private:
    Place place_;
    std::wstring store_;
    std::wstring name_;
};

class Session final : public ComObject<IMAPISession> {
public:
    explicit Session(std::wstring root) : place_{std::move(root), std::make_shared<NameTable>()} {}

    HRESULT STDMETHODCALLTYPE GetMsgStoresTable(ULONG, IMAPITable** table) override {
        if (!table) return MAPI_E_INVALID_PARAMETER;
        *table = new (std::nothrow) StoresTable(ListSubFolders(place_.Root));
        return *table ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
    }

    HRESULT STDMETHODCALLTYPE OpenMsgStore(ULONG_PTR, ULONG entryIdSize, ENTRYID* entryId, const IID*, ULONG,
                                           IMsgStore** store) override {
        if (!store) return MAPI_E_INVALID_PARAMETER;
        *store = nullptr;
        EntryPath entry;
        if (!ParseEntryId(entryIdSize, entryId, entry) || entry.Parts.size() != 1)
            return MAPI_E_INVALID_ENTRYID;
        if (!IsFolder(place_.Root + L"\\" + entry.Parts[0])) return MAPI_E_NOT_FOUND;
        *store = new (std::nothrow) MsgStore(place_, entry.Parts[0]);
        return *store ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
    }

    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG entryIdSize, ENTRYID* entryId, const IID*, ULONG, ULONG* type,
                                        IUnknown** object) override {
        if (!object) return MAPI_E_INVALID_PARAMETER;
        *object = nullptr;
        EntryPath entry;
        if (!ParseEntryId(entryIdSize, entryId, entry)) return MAPI_E_INVALID_ENTRYID;
        std::wstring path = place_.Root;
        for (const std::wstring& part : entry.Parts) path += L"\\" + part;
        const std::vector<std::wstring>& parts = entry.Parts;
        ULONG kind = 0;
        if (parts.size() == 3) {
            StoredMessage message;
            std::wstring problem;
            const FileRead read = ReadMessageFile(path, message, problem);
            if (read == FileRead::Missing) return MAPI_E_NOT_FOUND;
            if (read != FileRead::Ok) return MAPI_E_DISK_ERROR;
            *object = static_cast<IMessage*>(new (std::nothrow)
                                                 Message(place_, parts[0], path, std::move(message)));
            kind = MAPI_MESSAGE;
        } else if (!IsFolder(path)) {
            return MAPI_E_NOT_FOUND;
        } else if (parts.size() == 2) {
            *object = static_cast<IMAPIFolder*>(new (std::nothrow) Folder(place_, parts[0], parts[1]));
            kind = MAPI_FOLDER;
        } else {
            *object = static_cast<IMsgStore*>(new (std::nothrow) MsgStore(place_, parts[0]));
            kind = MAPI_STORE;
        }
        if (!*object) return MAPI_E_NOT_ENOUGH_MEMORY;
        if (type) *type = kind;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Logoff(ULONG_PTR, ULONG, ULONG) override { return S_OK; }

protected:
    const IID& Identity() const override { return IID_IMAPISession; }

private:
    Place place_;
};

} // namespace

HRESULT MAPIInitialize(void*) {
    ++initialised;
    return S_OK;
}

void MAPIUninitialize() {
    if (initialised > 0) --initialised;
}

HRESULT MAPILogonEx(ULONG_PTR, wchar_t*, wchar_t*, ULONG, IMAPISession** session) {
    if (!session) return MAPI_E_INVALID_PARAMETER;
    *session = nullptr;
    if (initialised <= 0) return MAPI_E_NOT_INITIALIZED;
    const std::wstring root = MessageStoreRoot();
    EnsureSmsStore(root); // a store that cannot be made is missing from the table; the log says why
    *session = new (std::nothrow) Session(root);
    return *session ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}

HRESULT MAPIAllocateBuffer(ULONG size, void** buffer) {
    if (!buffer) return MAPI_E_INVALID_PARAMETER;
    auto* header = static_cast<BufferHeader*>(std::malloc(sizeof(BufferHeader) + std::max<ULONG>(size, 1)));
    *buffer = header ? ToUser(header) : nullptr;
    if (!header) return MAPI_E_NOT_ENOUGH_MEMORY;
    header->next = nullptr;
    std::memset(*buffer, 0, size);
    return S_OK;
}

HRESULT MAPIAllocateMore(ULONG size, void* parent, void** more) {
    if (!parent || !more) return MAPI_E_INVALID_PARAMETER;
    if (FAILED(MAPIAllocateBuffer(size, more))) return MAPI_E_NOT_ENOUGH_MEMORY;
    BufferHeader* owner = ToHeader(parent);
    ToHeader(*more)->next = owner->next;
    owner->next = ToHeader(*more);
    return S_OK;
}

ULONG MAPIFreeBuffer(void* buffer) {
    if (!buffer) return 0;
    for (BufferHeader* header = ToHeader(buffer); header;) std::free(std::exchange(header, header->next));
    return 0;
}

void FreeProws(SRowSet* rows) {
    if (!rows) return;
    for (ULONG i = 0; i < rows->cRows; ++i) MAPIFreeBuffer(rows->aRow[i].lpProps);
    MAPIFreeBuffer(rows);
}

} // namespace platform
