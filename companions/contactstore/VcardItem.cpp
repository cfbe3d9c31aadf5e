#include "companions/contactstore/VcardItem.h"

#include "companions/contactstore/ByteStream.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

namespace contactstore {

namespace {

int FieldOf(CEPROPID id) {
    switch (id) {
    case poom::FirstName:
        return vcard::First;
    case poom::LastName:
        return vcard::Last;
    case poom::MiddleName:
        return vcard::Middle;
    case poom::CompanyName:
        return vcard::Company;
    case poom::FileAs:
        return vcard::SortName;
    case poom::MobilePhone:
        return vcard::PhoneField(vcard::Mobile);
    case poom::HomePhone:
        return vcard::PhoneField(vcard::Home);
    case poom::Home2Phone:
        return vcard::PhoneField(vcard::Home2);
    case poom::BusinessPhone:
        return vcard::PhoneField(vcard::Work);
    case poom::Business2Phone:
        return vcard::PhoneField(vcard::Work2);
    case poom::Pager:
        return vcard::PhoneField(vcard::Pager);
    case poom::RadioPhone:
        return vcard::PhoneField(vcard::Radio);
    case poom::AssistantPhone:
        return vcard::PhoneField(vcard::Assistant);
    case poom::BusinessFax:
        return vcard::PhoneField(vcard::WorkFax);
    case poom::HomeFax:
        return vcard::PhoneField(vcard::HomeFax);
    case poom::CompanyPhone:
        return vcard::PhoneField(vcard::CompanyMain);
    case poom::MmsPhone:
        return vcard::PhoneField(vcard::Mms);
    case poom::CarPhone:
        return vcard::PhoneField(vcard::Car);
    default:
        return -1;
    }
}

// Text notes as the device keeps them: a 0xFE 0xFF mark, then UTF-16 in little-endian order.
std::string MarkedUtf16(std::string_view utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::string bytes(2 + static_cast<size_t>(std::max(length, 0)) * sizeof(wchar_t), '\0');
    bytes[0] = '\xFE';
    bytes[1] = '\xFF';
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                            reinterpret_cast<wchar_t*>(bytes.data() + 2), length);
    return bytes;
}

} // namespace

HRESULT VcardItem::GetProps(const CEPROPID* ids, ULONG, WORD count, CEPROPVAL** values, ULONG* size,
                            HANDLE heap) {
    if (!values || (count && !ids)) return E_INVALIDARG;
    const vcard::CardSet& set = snapshot_->SetOf(entry_);
    const vcard::Card& card = snapshot_->CardOf(entry_);
    std::vector<int> lengths(count, 0);
    size_t total = sizeof(CEPROPVAL) * count;
    for (WORD i = 0; i < count; ++i) {
        const int field = FieldOf(ids[i]);
        if (field < 0) continue;
        const std::string_view text = set.Get(card, static_cast<vcard::Field>(field));
        lengths[i] = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        if (lengths[i] > 0) total += (static_cast<size_t>(lengths[i]) + 1) * sizeof(wchar_t);
    }
    auto* block = static_cast<CEPROPVAL*>(HeapAlloc(heap ? heap : GetProcessHeap(), 0, total));
    if (!block) return E_OUTOFMEMORY;
    auto* strings = reinterpret_cast<wchar_t*>(block + count);
    for (WORD i = 0; i < count; ++i) {
        CEPROPVAL& value = block[i];
        value = CEPROPVAL{ids[i], 0, CEDB_PROPNOTFOUND, {}};
        if (ids[i] == poom::Oid) {
            value.wFlags = 0;
            value.val.ulVal = entry_.Oid;
            continue;
        }
        if (lengths[i] <= 0) continue;
        const std::string_view text = set.Get(card, static_cast<vcard::Field>(FieldOf(ids[i])));
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), strings, lengths[i]);
        strings[lengths[i]] = L'\0';
        value.wFlags = 0;
        value.wLenData = static_cast<WORD>(std::min<size_t>((lengths[i] + 1) * sizeof(wchar_t), 0xFFFF));
        value.val.lpwstr = strings;
        strings += lengths[i] + 1;
    }
    *values = block;
    if (size) *size = static_cast<ULONG>(total);
    return S_OK;
}

HRESULT VcardItem::OpenProperty(CEPROPID id, DWORD, IStream** stream) {
    if (!stream) return E_POINTER;
    *stream = nullptr;
    const vcard::CardSet& set = snapshot_->SetOf(entry_);
    const vcard::Card& card = snapshot_->CardOf(entry_);
    if (id == poom::Picture) {
        const std::string_view photo = set.Get(card, vcard::Photo);
        if (photo.empty()) return E_FAIL;
        *stream = new (std::nothrow) ByteStream(snapshot_, photo);
    } else if (id == poom::Notes) {
        const std::string_view notes = set.Get(card, vcard::Notes);
        if (notes.empty()) return E_FAIL;
        *stream = card.RawNotes ? new (std::nothrow) ByteStream(snapshot_, notes)
                                : new (std::nothrow) ByteStream(MarkedUtf16(notes));
    } else {
        return E_INVALIDARG;
    }
    return *stream ? S_OK : E_OUTOFMEMORY;
}

} // namespace contactstore
