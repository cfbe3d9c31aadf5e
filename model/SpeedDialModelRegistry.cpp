// The buttons in the registry: eleven values per button, numbered by array position 0 … count-1.
#include "model/SpeedDialModel.h"

#include "foundation/ScopedHandles.h"

#include <vector>

namespace {

WString ValueName(const wchar_t* stem, int n) {
    WString name;
    name.Format(L"%s%d", stem, n);
    return name;
}

bool ReadNumber(HKEY key, const wchar_t* stem, int n, DWORD& value) {
    DWORD size = sizeof value;
    DWORD read = 0;
    if (RegQueryValueExW(key, ValueName(stem, n), nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size) !=
            ERROR_SUCCESS ||
        size != sizeof value)
        return false;
    value = read;
    return true;
}

// The text up to its first zero or the end of the stored bytes; empty when the value is missing. Most
// texts fit the first buffer, so a value usually costs one registry call.
WString ReadText(HKEY key, const wchar_t* stem, int n) {
    const WString name = ValueName(stem, n);
    std::vector<wchar_t> text(129, 0);
    DWORD bytes = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t));
    LONG result = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &bytes);
    if (result == ERROR_MORE_DATA) {
        text.assign((bytes + 1) / sizeof(wchar_t) + 1, 0);
        bytes = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t));
        result = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &bytes);
    }
    if (result != ERROR_SUCCESS) return WString();
    text[bytes / sizeof(wchar_t)] = 0;
    return WString(text.data());
}

void WriteNumber(HKEY key, const wchar_t* stem, int n, DWORD value) {
    RegSetValueExW(key, ValueName(stem, n), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
}

void WriteText(HKEY key, const wchar_t* stem, int n, const WString& text) {
    RegSetValueExW(key, ValueName(stem, n), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(static_cast<const wchar_t*>(text)),
                   static_cast<DWORD>((text.GetLength() + 1) * sizeof(wchar_t)));
}

// The eleven values of a button, in the order a save writes them.
enum ButtonValue { Oid, Display, Btn, Index, Phone, Type, Link, First, Last, Middle, Company, ValueCount };
constexpr const wchar_t* Stems[ValueCount] = {L"Oid",  L"Display", L"Btn",  L"Index",  L"Phone",  L"Type",
                                              L"Link", L"First",   L"Last", L"Middle", L"Company"};

// The button's field behind a text value; null for a number value.
const WString* TextOf(const SpeedDialButton& button, int value) {
    switch (value) {
    case Display:
        return &button.Display;
    case Phone:
        return &button.Phone;
    case Type:
        return &button.Type;
    case First:
        return &button.First;
    case Last:
        return &button.Last;
    case Middle:
        return &button.Middle;
    case Company:
        return &button.Company;
    default:
        return nullptr;
    }
}

DWORD NumberOf(const SpeedDialButton& button, int value) {
    switch (value) {
    case Oid:
        return button.Oid;
    case Btn:
        return static_cast<DWORD>(button.Btn);
    case Index:
        return static_cast<DWORD>(button.Index);
    default:
        return button.Link;
    }
}

void WriteValue(HKEY key, int n, const SpeedDialButton& button, int value) {
    if (const WString* text = TextOf(button, value))
        WriteText(key, Stems[value], n, *text);
    else
        WriteNumber(key, Stems[value], n, NumberOf(button, value));
}

bool SameValue(const SpeedDialButton& a, const SpeedDialButton& b, int value) {
    const WString* text = TextOf(a, value);
    return text ? *text == *TextOf(b, value) : NumberOf(a, value) == NumberOf(b, value);
}

HKEY CreateButtonKey() {
    HKEY created = nullptr;
    return RegCreateKeyExW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                           &created, nullptr) == ERROR_SUCCESS
               ? created
               : nullptr;
}

} // namespace

void SpeedDialModel::LoadFromRegistry() {
    Clear();
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RegistryKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
    const ScopedRegKey key(opened);
    SpeedDialButton button;
    for (int n = 0; ReadNumber(key.Get(), L"Oid", n, button.Oid); ++n) {
        DWORD number;
        button.Display = ReadText(key.Get(), L"Display", n);
        if (ReadNumber(key.Get(), L"Btn", n, number)) button.Btn = static_cast<int>(number);
        if (ReadNumber(key.Get(), L"Index", n, number)) button.Index = static_cast<int>(number);
        button.Phone = ReadText(key.Get(), L"Phone", n);
        button.Type = ReadText(key.Get(), L"Type", n);
        ReadNumber(key.Get(), L"Link", n, button.Link);
        button.First = ReadText(key.Get(), L"First", n);
        button.Last = ReadText(key.Get(), L"Last", n);
        button.Middle = ReadText(key.Get(), L"Middle", n);
        button.Company = ReadText(key.Get(), L"Company", n);
        if (Buttons.Add(button) < 0) break;
        button = SpeedDialButton();
    }
}

void SpeedDialModel::Save(int index) {
    if (index == -1) {
        RegDeleteKeyW(HKEY_CURRENT_USER, RegistryKey);
        RegFlushKey(HKEY_CURRENT_USER);
    }
    if (Buttons.GetSize() == 0) return;
    const ScopedRegKey key(CreateButtonKey());
    if (!key) return;
    const int first = index < 0 ? 0 : index;
    const int last = index < 0 ? Buttons.GetSize() - 1 : index;
    for (int n = first; n <= last; ++n) {
        const SpeedDialButton button = Buttons.GetAt(n);
        for (int value = 0; value < ValueCount; ++value) WriteValue(key.Get(), n, button, value);
    }
    RegFlushKey(key.Get());
}

void SpeedDialModel::SaveChanges(int index, const SpeedDialButton& before) {
    const SpeedDialButton button = Buttons.GetAt(index);
    int value = 0;
    while (value < ValueCount && SameValue(button, before, value)) ++value;
    if (value == ValueCount) return;
    const ScopedRegKey key(CreateButtonKey());
    if (!key) return;
    for (; value < ValueCount; ++value)
        if (!SameValue(button, before, value)) WriteValue(key.Get(), index, button, value);
    RegFlushKey(key.Get());
}
