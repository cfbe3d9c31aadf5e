#include "contacts/ContactDetails.h"

#include "ui/ImageDecoding.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <iterator>
#include <new>

const PhoneKindRow PhoneKindTable[PhoneKindCount] = {
    {poom::MobilePhone, L"Мобильный"},
    {poom::HomePhone, L"Домашний"},
    {poom::Home2Phone, L"Домашний"},
    {poom::BusinessPhone, L"Рабочий"},
    {poom::Business2Phone, L"Рабочий"},
    {poom::Pager, L"Пейджер"},
    {poom::RadioPhone, L"Радио"},
    {poom::AssistantPhone, L"Ас"
                           L"c"
                           L"истент"}, // the third letter is the Latin c, as the label has always been
    {poom::BusinessFax, L"Раб. факс"},
    {poom::HomeFax, L"Дом. факс"},
    {poom::CompanyPhone, L"Организация"},
    {poom::MmsPhone, L"MMS"},
    {poom::CarPhone, L"Авто"},
};

ContactDetails::~ContactDetails() {
    if (Photo) DeleteObject(Photo);
}

namespace {

constexpr wchar_t BlockStart[] = L"== start pim information ==";
constexpr wchar_t BlockEnd[] = L"== end pim information ==";

WString FromChars(const wchar_t* text, int count) {
    WString out;
    if (count <= 0) return out;
    wchar_t* buffer = out.GetBuffer(count);
    if (!buffer) return out;
    std::memcpy(buffer, text, sizeof(wchar_t) * static_cast<size_t>(count));
    out.ReleaseBuffer(count);
    return out;
}

// One paragraph of the compact rich-text format: count encoded bytes from data (never past end).
void DecodeParagraph(const BYTE* data, const BYTE* end, int count, WString& out) {
    const BYTE* stop = data + count < end ? data + count : end;
    const BYTE* p = data;
    auto has = [&](int n) { return p + n < stop; }; // the nth byte after the current one lies in the count
    while (p < stop) {
        BYTE b = *p;
        if (b < 0x80) {
            out += static_cast<wchar_t>(b);
            p += 1;
        } else if (b <= 0xBF) {
            if (has(1)) out += static_cast<wchar_t>((b & 0x3F) | (p[1] << 6));
            p += 2;
        } else if (b == 0xC0) {
            if (has(2)) out += static_cast<wchar_t>(p[1] | (p[2] << 8));
            p += 3;
        } else if (b == 0xC1) {
            if (has(1)) out += static_cast<wchar_t>(p[1]);
            p += 2;
        } else if (b == 0xC2 || b == 0xC3 || b == 0xC5 || (b >= 0xE5 && b <= 0xE8)) {
            p += 3;
        } else if (b >= 0xE9 && b <= 0xEC) {
            p += 2;
        } else if (b == 0xEF) {
            p += 4;
        } else if (b == 0xF1) {
            p += 8;
        } else if (b == 0xC4 && has(1)) {
            BYTE control = p[1];
            if (control == 0) {
                p += 2;
            } else if (control == 4) {
                out += L'\t';
                p += 2;
            } else if (control == 25) {
                p += 4;
            } else if (control == 27) {
                p += 8;
            } else {
                return;
            }
        } else {
            return;
        }
    }
}

WString ReadNotes(IItem* item) {
    IStream* stream = nullptr;
    if (FAILED(item->OpenProperty(poom::Notes, GENERIC_READ, &stream)) || !stream) return WString();
    WString notes;
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER size = {};
    if (SUCCEEDED(stream->Seek(zero, STREAM_SEEK_END, &size)) && size.QuadPart > 0 &&
        SUCCEEDED(stream->Seek(zero, STREAM_SEEK_SET, nullptr))) {
        const ULONG wanted = static_cast<ULONG>(std::min<ULONGLONG>(size.QuadPart, NotesReadLimit));
        if (BYTE* bytes = new (std::nothrow) BYTE[wanted]) {
            ULONG read = 0;
            if (SUCCEEDED(stream->Read(bytes, wanted, &read)) && read == wanted)
                notes = DecodeNotes(bytes, read);
            delete[] bytes;
        }
    }
    stream->Release();
    return notes;
}

} // namespace

WString DecodeCompactRichText(const BYTE* data, size_t size) {
    WString text;
    const BYTE* end = data + size;
    size_t offset = 14;
    while (size >= 7 && offset <= size - 7) {
        const BYTE* record = data + offset;
        BYTE tag = record[0];
        size_t length = record[4] | (record[5] << 8);
        if (tag == 'A' && offset + 30 <= size) {
            int count = record[8] | (record[9] << 8);
            WString paragraph;
            DecodeParagraph(record + 30, end, count, paragraph);
            if (!paragraph.IsEmpty()) {
                if (!text.IsEmpty()) text += L' ';
                text += paragraph;
            }
        }
        offset += 6 + (tag == 'U' || tag == 'o' ? length + record[1] * size_t{65536} : length * 4);
    }
    return text;
}

WString DecodeNotes(const BYTE* data, size_t size) {
    if (!data || size == 0 || size > 0x3FFFFFFF) return WString();
    if (size > 14 && std::memcmp(data, "{\\pwi", 5) == 0) {
        for (int i = 5; i <= 13; ++i)
            if (data[i] < 10) return DecodeCompactRichText(data, size);
    }
    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
        if (size < 3) return WString();
        int count = static_cast<int>((size - 2) / 2);
        WString text;
        wchar_t* buffer = text.GetBuffer(count);
        if (!buffer) return text;
        for (int i = 0; i < count; ++i)
            buffer[i] = static_cast<wchar_t>(data[2 + 2 * i] | (data[3 + 2 * i] << 8));
        text.ReleaseBuffer(count);
        return text;
    }
    const char* bytes = reinterpret_cast<const char*>(data);
    int count = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
    WString text;
    wchar_t* buffer = count > 0 ? text.GetBuffer(count) : nullptr;
    if (!buffer) return text;
    MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), buffer, count);
    text.ReleaseBuffer(count);
    return text;
}

WString InformationBlock(const WString& notes) {
    const wchar_t* start = std::wcsstr(notes, BlockStart);
    if (!start) return WString();
    start += std::size(BlockStart) - 1;
    const wchar_t* end = std::wcsstr(start, BlockEnd);
    return end ? FromChars(start, static_cast<int>(end - start)) : WString(start);
}

void ReadPhoneList(const WString& block, Array<PhoneEntry>& phones) {
    static constexpr wchar_t Keyword[] = L"Phone:";
    const wchar_t* s = block;
    const int n = block.GetLength();
    int i = 0;

    // The keyword, outside brackets.
    int matched = 0;
    for (; i < n && Keyword[matched]; ++i) {
        if (s[i] == Keyword[matched]) {
            ++matched;
            continue;
        }
        matched = 0;
        if (s[i] != L'[') continue;
        for (++i; i < n && s[i] != L']'; ++i)
            if (s[i] == L'\\') ++i;
        if (i >= n) return; // a bracket left open
    }
    if (Keyword[matched]) return;

    auto skipBlanks = [&] {
        while (i < n && std::iswspace(s[i])) ++i;
    };
    while (i < n) {
        if (IsCharAlphaNumericW(s[i])) return;
        if (s[i++] != L'[') continue;
        skipBlanks();
        WString label;
        bool abandoned = false;
        for (; i < n && s[i] != L':'; ++i) {
            if (s[i] == L']') {
                abandoned = true;
                ++i;
                break;
            }
            if (s[i] == L'\\' && i + 1 < n) ++i;
            label += s[i];
        }
        if (abandoned) continue;
        if (i >= n) return;
        ++i;                           // the ':'
        if (label.IsEmpty()) continue; // its number is read as text between items
        skipBlanks();
        WString number;
        for (; i < n && s[i] != L']'; ++i) {
            if (s[i] == L'\\' && i + 1 < n) ++i;
            number += s[i];
        }
        if (i < n) ++i; // the ']'
        if (!number.IsEmpty()) phones.Add(PhoneEntry{number, label, NotesPhoneKind});
    }
}

int ReadContact(ContactStore* store, DWORD oid, ContactDetails& details, int flags, int fitMode, int boxWidth,
                int boxHeight, WString* pictureProblem) {
    if (!store || !store->App) return 0;
    IUnknown* found = nullptr;
    if (FAILED(store->App->GetItemFromOid(oid, &found)) || !found) return 0;
    IItem* item = nullptr;
    HRESULT asked = found->QueryInterface(IID_IItem, reinterpret_cast<void**>(&item));
    found->Release();
    if (FAILED(asked) || !item) return 0;

    details.Oid = 0;
    details.First.Empty();
    details.Last.Empty();
    details.Middle.Empty();
    details.Company.Empty();
    details.SortName.Empty();
    details.Phones.RemoveAll();
    if (details.Photo) DeleteObject(details.Photo);
    details.Photo = nullptr;
    details.HasPhoto = 0;

    WString block;
    if (flags & ReadPhones) block = InformationBlock(ReadNotes(item));

    if (flags & (ReadPhoto | ReadPhotoPresence)) {
        IStream* picture = nullptr;
        if (SUCCEEDED(item->OpenProperty(poom::Picture, GENERIC_READ, &picture)) && picture) {
            details.HasPhoto = 1;
            if (flags & ReadPhoto) {
                IImagingFactory* factory = GetImagingFactory();
                if (IImage* image =
                        DecodeStreamFitted(factory, picture, fitMode, boxWidth, boxHeight, pictureProblem)) {
                    details.Photo = ImageToBitmap(factory, image);
                    if (!details.Photo && pictureProblem)
                        *pictureProblem = L"it cannot be drawn into a bitmap";
                    image->Release();
                }
            }
            picture->Release();
        }
    }

    CEPROPID ids[1 + 5 + PhoneKindCount];
    WORD count = 0;
    ids[count++] = poom::Oid;
    const CEPROPID names[] = {poom::FirstName, poom::LastName, poom::MiddleName, poom::CompanyName,
                              poom::FileAs};
    if (flags & ReadNames)
        for (CEPROPID id : names) ids[count++] = id;
    if (flags & ReadPhones)
        for (const PhoneKindRow& row : PhoneKindTable) ids[count++] = row.Property;

    CEPROPVAL* values = nullptr;
    ULONG size = 0;
    if (SUCCEEDED(item->GetProps(ids, CEDB_ALLOWREALLOC, count, &values, &size, GetProcessHeap())) &&
        values) {
        auto found = [&](int i) { return !(values[i].wFlags & CEDB_PROPNOTFOUND); };
        if (found(0)) details.Oid = values[0].val.ulVal;
        int next = 1;
        if (flags & ReadNames) {
            WString* fields[] = {&details.First, &details.Last, &details.Middle, &details.Company,
                                 &details.SortName};
            for (WString* field : fields) {
                if (found(next) && values[next].val.lpwstr) *field = values[next].val.lpwstr;
                ++next;
            }
        }
        if (flags & ReadPhones) {
            for (int kind = 0; kind < PhoneKindCount; ++kind, ++next)
                if (found(next) && values[next].val.lpwstr)
                    details.Phones.Add(PhoneEntry{values[next].val.lpwstr, PhoneKindTable[kind].Label, kind});
            ReadPhoneList(block, details.Phones);
        }
        HeapFree(GetProcessHeap(), 0, values);
    }
    item->Release();
    return 1;
}
